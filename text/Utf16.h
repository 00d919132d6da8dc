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

// Appends one character (below 0x110000) as UTF-8.
void appendUtf8(std::string& out, char32_t c);

}  // namespace lorvex
