#pragma once

#include <cstdio>
#include <string>

namespace lorvex {

// Text as it may reach a terminal on one line: control characters (below 0x20,
// 0x7F and the C1 range) and bytes that are not valid UTF-8 are shown as
// escapes (\n, \r, \t, \x1b, \xff); everything else, backslashes included, as is.
std::string printable(const std::string& text);

// One line on standard error about what failed and why: "lorvex: <subject>: <message>".
inline void report(std::FILE* errors, const std::string& subject, const std::string& message) {
    std::fprintf(errors, "lorvex: %s: %s\n", printable(subject).c_str(),
                 printable(message).c_str());
}

}  // namespace lorvex
