#pragma once

#include <cstdio>
#include <string>

namespace lorvex {

// One line on standard error about what failed and why: "lorvex: <subject>: <message>".
inline void report(std::FILE* errors, const std::string& subject, const std::string& message) {
    std::fprintf(errors, "lorvex: %s: %s\n", subject.c_str(), message.c_str());
}

}  // namespace lorvex
