#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// UTF-16LE bytes (count even) to UTF-8, up to the first zero code unit;
// unpaired surrogates become U+FFFD.
std::string utf16LeToUtf8(const unsigned char* bytes, std::size_t count);

// UTF-8 to UTF-16LE bytes; characters outside the basic plane become
// surrogate pairs, malformed sequences U+FFFD.
std::string utf8ToUtf16Le(const char* text, std::size_t length);

// The two halves UTF-16 writes a character beyond U+FFFF in.
inline bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
inline char32_t characterOfPair(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace lorvex
