#pragma once

#include <string>

namespace lorvex {

// Whether source file name a comes before b in an object list, as the
// environment orders them: grouped by extension in alphabetical order, then
// by the name without its extension, ignoring letter case, with "_" before
// digits and letters; other characters by their code.
bool objectListOrder(const std::string& a, const std::string& b);

// What a name sorts by in that order, as bytes: for sorting many names, each
// key made once instead of once a comparison.
std::string objectListKey(const std::string& name);

}  // namespace lorvex
