#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// Lowercase, as listings and escapes show bytes, then uppercase, as check
// digits and messages about code pages show them.
inline constexpr char kHexDigits[] = "0123456789abcdef0123456789ABCDEF";

inline char upperHexDigit(unsigned value) {
    return kHexDigits[16 + (value & 15)];
}

// The two lowercase digits of every byte, so that text that is mostly hex
// takes one look-up a byte.
struct HexPairs {
    char digits[512] = {};
    constexpr HexPairs() {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            digits[2 * byte] = kHexDigits[byte >> 4];
            digits[2 * byte + 1] = kHexDigits[byte & 15];
        }
    }
};
inline constexpr HexPairs kHexPairs;

inline const char* hexPair(unsigned char byte) {
    return &kHexPairs.digits[2 * byte];
}

inline void appendHexByte(std::string& out, unsigned char byte) {
    out.append(hexPair(byte), 2);
}

inline void appendHex(std::string& out, const std::string& bytes) {
    for (const char c : bytes) appendHexByte(out, static_cast<unsigned char>(c));
}

}  // namespace lorvex
