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

// UTF-16 code units, unit(i) for i below count, appended to out as UTF-8; an
// unpaired surrogate is not valid. Runs of ASCII, most of any source, are
// copied a run at a time.
template <typename Unit>
bool appendUnitsAsUtf8(std::size_t count, Unit unit, std::string& out, std::string& reason) {
    // Written into a buffer kept for the next text, then appended at once.
    static std::vector<char> buffer;
    if (buffer.size() < count * 3) buffer.resize(count * 3);  // at most three bytes a unit
    char* cursor = buffer.data();
    for (std::size_t i = 0; i < count;) {
        // Four ASCII units at a time, the common case.
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
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c > 0xDBFF || i >= count || unit(i) < 0xDC00 || unit(i) > 0xDFFF) {
                reason = "its text is not valid UTF-16: it holds an unpaired surrogate";
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i++) - 0xDC00);
        }
        std::string character;
        appendUtf8(character, c);
        cursor = std::copy(character.begin(), character.end(), cursor);
    }
    out.append(buffer.data(), static_cast<std::size_t>(cursor - buffer.data()));
    return true;
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
    // A Unicode-era export is UTF-16LE after its byte order mark.
    const auto* wide = reinterpret_cast<const unsigned char*>(exported.data()) + 2;
    const std::size_t units = unicode ? (exported.size() - 2) / 2 : 0;
    if (unicode && exported.size() % 2 != 0) {
        reason = "its text is not valid UTF-16: it has an odd number of bytes";
        return false;
    }
    if (unicode && encoding == SourceEncoding::Utf8) {
        return appendUnitsAsUtf8(
            units,
            [wide](std::size_t i) {
                return static_cast<char32_t>(wide[2 * i] | wide[2 * i + 1] << 8);
            },
            encoded, reason);
    }
    std::u16string text;
    if (unicode) {
        for (std::size_t i = 0; i < units; ++i)
            text.push_back(static_cast<char16_t>(wide[2 * i] | wide[2 * i + 1] << 8));
    } else if (!decodeSingleByte(exported, codePage, text, reason)) {
        return false;
    }
    if (encoding == SourceEncoding::HexAscii) return (appendHexAscii(text, encoded), true);
    return appendUnitsAsUtf8(
        text.size(), [data = text.data()](std::size_t i) { return data[i]; }, encoded, reason);
}

}  // namespace lorvex
