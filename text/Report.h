#pragma once

#include <cstdio>
#include <string>

namespace lorvex {

// Text as it may reach a terminal on one line: control characters (below 0x20,
// 0x7F and the C1 range) and bytes that are not valid UTF-8 are shown as
// escapes (\n, \r, \t, \x1b, \xff); everything else, backslashes included, as is.
std::string printable(const std::string& text);

// Whether the UTF-8 character at text[at] turns the direction of text (U+061C,
// U+200E, U+200F, U+202A-U+202E, U+2066-U+2069): shown, it would reorder the
// rest of the line.
bool turnsDirection(const std::string& text, std::size_t at);

// One line about what failed and why, "lorvex: <subject>: <message>", on the
// stream the command line passes down to every command (standard error).
inline void report(std::FILE* errors, const std::string& subject, const std::string& message) {
    std::fprintf(errors, "lorvex: %s: %s\n", printable(subject).c_str(),
                 printable(message).c_str());
}

}  // namespace lorvex
