#pragma once

#include <string>

#include "platform/Platform.h"

namespace lorvex {

// File names as a file system that ignores letter case compares them: one
// form for all the names it takes for one file. Each UTF-8 character becomes
// its capital, as the system maps it; bytes that are not UTF-8 stay.
class CaseFolder {
public:
    std::string fold(const std::string& name) const;

private:
    platform::LetterCase letterCase_;
};

}  // namespace lorvex
