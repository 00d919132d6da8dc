#include "sync/SourceText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "library/Utf16.h"

namespace lorvex {

namespace {

// Single-byte text as UTF-16 code units; reason names the line and the byte
// that does not convert.
bool decodeSingleByte(const std::string& bytes, CodePage& codePage, std::u16string& units,
                      std::string& reason) {
    std::size_t invalidAt = 0;
    if (codePage.decode(bytes, units, invalidAt)) return true;
    const auto line = std::count(bytes.begin(), bytes.begin() + invalidAt, '\n') + 1;
    reason = "line " + std::to_string(line) + ": " +
             codePage.whyInvalid(static_cast<unsigned char>(bytes[invalidAt]));
    return false;
}

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16 code units, unit(i) for i below count, appended to out as UTF-8; an
// unpaired surrogate becomes U+FFFD. Runs of ASCII, most of any source, are
// copied four units at a time.
template <typename Unit>
void appendUnitsAsUtf8(std::size_t count, Unit unit, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + count * 3);  // at most three bytes a unit
    char* const first = &out[0];
    char* cursor = first + start;
    for (std::size_t i = 0; i < count;) {
        while (i + 4 <= count && (unit(i) | unit(i + 1) | unit(i + 2) | unit(i + 3)) < 0x80) {
            cursor[0] = static_cast<char>(unit(i)), cursor[1] = static_cast<char>(unit(i + 1));
            cursor[2] = static_cast<char>(unit(i + 2)), cursor[3] = static_cast<char>(unit(i + 3));
            cursor += 4, i += 4;
        }
        if (i >= count) break;
        char32_t c = unit(i++);
        if (c < 0x80) {
            *cursor++ = static_cast<char>(c);
            continue;
        }
        if (isHighSurrogate(c) && i < count && isLowSurrogate(unit(i))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i++) - 0xDC00);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacement;
        }
        std::string character;
        appendUtf8(character, c);
        cursor = std::copy(character.begin(), character.end(), cursor);
    }
    out.resize(static_cast<std::size_t>(cursor - first));
}

void appendHexAscii(const std::u16string& units, std::string& out) {
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < units.size();) {
        if (units[i] < 0x80) {
            out += static_cast<char>(units[i++]);
            continue;
        }
        // The run takes every following unit of 0x80 or more, and spaces.
        std::size_t end = i + 1;
        while (end < units.size() && (units[end] >= 0x80 || units[end] == u' ')) ++end;
        out += "$$HEX" + std::to_string(end - i) + "$$";
        for (; i < end; ++i) {
            const unsigned unit = units[i];
            out += {kHex[unit >> 4 & 15], kHex[unit & 15], kHex[unit >> 12], kHex[unit >> 8 & 15]};
        }
        out += "$$ENDHEX$$";
    }
}

}  // namespace

bool encodeSourceText(std::string exported, Generation generation, SourceEncoding encoding,
                      CodePage& codePage, std::string& encoded, std::string& reason) {
    const bool unicode = generation == Generation::UnicodeEra;
    // Native exports, and ASCII text in either form, need no conversion.
    if (encoding == SourceEncoding::Native) {
        encoded = std::move(exported);
        return true;
    }
    encoded = encoding == SourceEncoding::Utf8 ? "\xEF\xBB\xBF" : "HA";
    if (!unicode && isAscii(exported)) return (encoded += exported, true);
    // A Unicode-era export is UTF-16LE after its byte order mark; a last odd
    // byte is half a unit, which is not text.
    const auto* wide = reinterpret_cast<const unsigned char*>(exported.data()) + 2;
    const std::size_t units = unicode ? (exported.size() - 1) / 2 : 0;
    auto unit = [wide, odd = exported.size() % 2 != 0, units](std::size_t i) {
        return odd && i + 1 == units ? kReplacement
                                     : static_cast<char32_t>(wide[2 * i] | wide[2 * i + 1] << 8);
    };
    if (unicode && encoding == SourceEncoding::Utf8) {
        appendUnitsAsUtf8(units, unit, encoded);
        return true;
    }
    std::u16string text;
    if (unicode) {
        text.resize(units);
        for (std::size_t i = 0; i < units; ++i) {
            const char32_t c = unit(i);
            const bool paired =
                (isHighSurrogate(c) && i + 1 < units && isLowSurrogate(unit(i + 1))) ||
                (isLowSurrogate(c) && i > 0 && isHighSurrogate(unit(i - 1)));
            text[i] = static_cast<char16_t>(
                paired || !(isHighSurrogate(c) || isLowSurrogate(c)) ? c : kReplacement);
        }
    } else if (!decodeSingleByte(exported, codePage, text, reason)) {
        return false;
    }
    if (encoding == SourceEncoding::HexAscii) {
        appendHexAscii(text, encoded);
    } else {
        appendUnitsAsUtf8(
            text.size(), [data = text.data()](std::size_t i) { return char32_t{data[i]}; },
            encoded);
    }
    return true;
}

}  // namespace lorvex
