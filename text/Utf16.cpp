#include "text/Utf16.h"

#include <cstdint>

namespace lorvex {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUnit(std::string& out, std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

// Decodes one character from UTF-8 at text[i], advancing i; malformed input
// (bad lead, missing continuation, overlong form, surrogate) yields U+FFFD.
char32_t decodeUtf8(const unsigned char* text, std::size_t length, std::size_t& i) {
    const unsigned char lead = text[i++];
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= length || (text[i] & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (text[i++] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
    return c;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string utf16LeToUtf8(const unsigned char* bytes, std::size_t count) {
    std::string out;
    const std::size_t units = count / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = bytes[2 * i] | static_cast<std::uint32_t>(bytes[2 * i + 1]) << 8;
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low =
                bytes[2 * i + 2] | static_cast<std::uint32_t>(bytes[2 * i + 3]) << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
        appendUtf8(out, surrogate ? kReplacement : static_cast<char32_t>(unit));
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
        const char32_t c = decodeUtf8(bytes, length, i);
        if (c < 0x10000) {
            appendUnit(out, c);
        } else {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace lorvex
