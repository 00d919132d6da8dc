#include "text/Utf16.h"

#include <cstdint>

#include "text/Utf8.h"

namespace lorvex {

namespace {

void appendUnit(std::string& out, std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::string utf16LeToUtf8(const unsigned char* bytes, std::size_t count) {
    std::string out;
    const std::size_t units = count / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = bytes[2 * i] | static_cast<std::uint32_t>(bytes[2 * i + 1]) << 8;
        if (unit == 0) break;
        if (isHighSurrogate(unit) && i + 1 < units) {
            const std::uint32_t low =
                bytes[2 * i + 2] | static_cast<std::uint32_t>(bytes[2 * i + 3]) << 8;
            if (isLowSurrogate(low)) {
                appendUtf8(out, characterOfPair(unit, low));
                ++i;
                continue;
            }
        }
        const bool surrogate = isHighSurrogate(unit) || isLowSurrogate(unit);
        appendUtf8(out, surrogate ? kReplacementCharacter : static_cast<char32_t>(unit));
    }
    return out;
}

std::string utf8ToUtf16Le(const char* text, std::size_t length) {
    std::string out;
    out.reserve(length * 2);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < length;) {
        // Runs of ASCII, such as the rows of a binary data section, widen at once.
        std::size_t ascii = i;
        while (ascii < length && bytes[ascii] < 0x80) ++ascii;
        if (ascii > i) {
            const std::size_t at = out.size();
            out.resize(at + 2 * (ascii - i));
            for (char* cursor = &out[at]; i < ascii; ++i, cursor += 2)
                cursor[0] = text[i], cursor[1] = 0;
            continue;
        }
        const Utf8Character c = decodeUtf8(text, length, i);
        i += c.length;
        if (c.value < 0x10000) {
            appendUnit(out, c.value);
        } else {
            appendUnit(out, 0xD800 + ((c.value - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((c.value - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace lorvex
