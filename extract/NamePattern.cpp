#include "extract/NamePattern.h"

#include <cstring>

#include "library/EntryNames.h"

namespace lorvex {

namespace {

// Length of the character at text[at]: a complete UTF-8 sequence, else one byte.
std::size_t characterLength(const char* text, std::size_t at, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t size = lead >= 0xF0 && lead <= 0xF4   ? 4
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                                                            : 1;
    if (at + size > length) return 1;
    for (std::size_t i = 1; i < size; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
    }
    return size;
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
