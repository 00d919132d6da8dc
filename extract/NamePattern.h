#pragma once

#include <string>

namespace lorvex {

// A requested name holding '*' or '?', which no entry name holds, matched
// against display names as a shell matches file names, ignoring ASCII letter
// case: '*' matches any run of characters, '\' and '/' included, '?' any one
// character (a valid UTF-8 sequence where one starts, else one byte), every
// other character itself.
class NamePattern {
public:
    static bool isPattern(const std::string& name);

    explicit NamePattern(const std::string& pattern);
    // Takes at most time in proportion to the square of the name's length,
    // whatever the pattern.
    bool matches(const char* name) const;

private:
    std::string pattern_;  // runs of stars cut to one
};

}  // namespace lorvex
