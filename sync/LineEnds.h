#pragma once

#include <string>

namespace lorvex {

// Whether git, converting line ends (text=auto), takes a file of these bytes
// for binary and leaves it as it is: it holds a lone CR or a NUL, or more than
// one byte in 128 that is not printable.
bool gitTakesForBinary(const std::string& bytes);

// Every CR LF as LF.
void toLfLineEnds(std::string& bytes);

// Whether a and b differ, but only in line ends: CR LF in one where the other
// has LF.
bool differOnlyInLineEnds(const std::string& a, const std::string& b);

}  // namespace lorvex
