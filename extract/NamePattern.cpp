#include "extract/NamePattern.h"

#include <cstring>

#include "library/EntryNames.h"
#include "text/Utf8.h"

namespace lorvex {

namespace {

// Length of the character at text[at]: a valid UTF-8 sequence, else one byte.
std::size_t characterLength(const char* text, std::size_t at, std::size_t length) {
    const Utf8Character c = decodeUtf8(text, length, at);
    return c.valid ? c.length : 1;
}

}  // namespace

bool NamePattern::isPattern(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

NamePattern::NamePattern(const std::string& pattern) {
    for (const char c : pattern) {
        if (c != '*' || pattern_.empty() || pattern_.back() != '*') pattern_ += c;
    }
}

bool NamePattern::matches(const char* name) const {
    const std::size_t length = std::strlen(name);
    std::size_t p = 0, n = 0;
    // After a star, a mismatch retries the pattern after that star one
    // character further into the name: only the last star ever moves, so
    // nothing backtracks further than that, and every character the pattern
    // moves past a star costs one of the name's.
    std::size_t star = std::string::npos, retry = 0;
    while (n < length) {
        const char c = p < pattern_.size() ? pattern_[p] : '\0';
        if (c == '*') {
            star = ++p;
            retry = n;
        } else if (c == '?') {
            ++p;
            n += characterLength(name, n, length);
        } else if (c != '\0' && foldAscii(c) == foldAscii(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star;
            retry += characterLength(name, retry, length);
            n = retry;
        } else {
            return false;
        }
    }
    if (p < pattern_.size() && pattern_[p] == '*') ++p;
    return p == pattern_.size();
}

}  // namespace lorvex
