#include "sync/SourceText.h"

#include "library/Utf16.h"
#include "platform/Platform.h"

namespace lorvex {

namespace {

// Single-byte text as UTF-16 code units. Windows maps the bytes a code page
// leaves undefined to C1 control characters or private-use characters where
// iconv refuses them; all of these count as invalid here, so the platforms agree.
bool decodeSingleByte(const std::string& bytes, unsigned codePage, std::u16string& units,
                      std::string& reason) {
    units.assign(bytes.begin(), bytes.end());
    bool ascii = true;
    for (char16_t& unit : units) {
        unit &= 0xFF;
        ascii = ascii && unit < 0x80;
    }
    if (ascii) return true;
    if (codePage == 0) {
        reason = "holds bytes of 0x80 or more: give the code page of its text with --codepage";
        return false;
    }
    bool valid = platform::decodeCodePage(codePage, bytes, units);
    for (const char16_t unit : units)
        valid = valid && (unit < 0x80 || unit > 0x9F) && (unit < 0xE000 || unit > 0xF8FF);
    if (!valid) reason = "is not valid text in code page " + std::to_string(codePage);
    return valid;
}

bool decodeUtf16(const std::string& bytes, std::u16string& units, std::string& reason) {
    if (bytes.size() % 2 != 0) {
        reason = "is not valid UTF-16: it has an odd number of bytes";
        return false;
    }
    units.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return true;
}

bool unitsToUtf8(const std::u16string& units, std::string& out, std::string& reason) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired = c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                                units[i + 1] <= 0xDFFF;
            if (!paired) {
                reason = "is not valid UTF-16: it holds an unpaired surrogate";
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out +=
                {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                 static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
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

bool singleByteToUtf8(const std::string& bytes, unsigned codePage, std::string& utf8,
                      std::string& reason) {
    std::u16string units;
    utf8.clear();
    return decodeSingleByte(bytes, codePage, units, reason) && unitsToUtf8(units, utf8, reason);
}

bool encodeSourceText(const std::string& exported, Generation generation, SourceEncoding encoding,
                      unsigned codePage, std::string& encoded, std::string& reason) {
    if (encoding == SourceEncoding::Native) {
        encoded = exported;
        return true;
    }
    std::u16string units;
    // A Unicode-era export starts with the UTF-16 byte order mark.
    const bool decoded = generation == Generation::UnicodeEra
                             ? decodeUtf16(exported.substr(2), units, reason)
                             : decodeSingleByte(exported, codePage, units, reason);
    if (!decoded) return false;
    encoded = encoding == SourceEncoding::Utf8 ? "\xEF\xBB\xBF" : "HA";
    if (encoding == SourceEncoding::HexAscii) {
        appendHexAscii(units, encoded);
        return true;
    }
    return unitsToUtf8(units, encoded, reason);
}

}  // namespace lorvex
