#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// What stands for text that is not valid Unicode.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character of UTF-8 text as decodeUtf8 finds it.
struct Utf8Character {
    char32_t value = kReplacementCharacter;  // kReplacementCharacter when not valid
    std::size_t length = 1;                  // the bytes it takes
    bool valid = false;
};

// The character at text[at], at below size. Valid only as Unicode defines
// UTF-8: no overlong form, no surrogate, nothing above U+10FFFF. A malformed
// sequence takes its lead byte and the continuation bytes after it, up to as
// many as the lead announces, so that it counts as one replacement character.
Utf8Character decodeUtf8(const char* text, std::size_t size, std::size_t at);

// Whether all of text is valid UTF-8.
bool isUtf8(const std::string& text);

// Writes c (below 0x110000) at cursor as UTF-8; returns the position after it.
inline char* encodeUtf8(char32_t c, char* cursor) {
    if (c < 0x80) {
        cursor[0] = static_cast<char>(c);
        return cursor + 1;
    }
    if (c < 0x800) {
        cursor[0] = static_cast<char>(0xC0 | c >> 6);
        cursor[1] = static_cast<char>(0x80 | (c & 0x3F));
        return cursor + 2;
    }
    if (c < 0x10000) {
        cursor[0] = static_cast<char>(0xE0 | c >> 12);
        cursor[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        cursor[2] = static_cast<char>(0x80 | (c & 0x3F));
        return cursor + 3;
    }
    cursor[0] = static_cast<char>(0xF0 | c >> 18);
    cursor[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    cursor[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    cursor[3] = static_cast<char>(0x80 | (c & 0x3F));
    return cursor + 4;
}

inline void appendUtf8(std::string& out, char32_t c) {
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(encodeUtf8(c, bytes) - bytes));
}

}  // namespace lorvex
