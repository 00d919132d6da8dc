#include "text/SourceText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/Hex.h"
#include "text/Utf16.h"
#include "text/Utf8.h"

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

// UTF-16 code units as text.unit(i) gives them, for i below count, appended
// to out as UTF-8; an unpaired surrogate becomes U+FFFD. Most of any source is
// ASCII, which needs no decoding: runs of it are narrowed whole.
template <typename Text>
void appendUnitsAsUtf8(const Text& text, std::size_t count, std::string& out) {
    // Each append to out checks its capacity; a buffer on the stack pays that
    // once a piece instead of once a character.
    char buffer[4096];
    constexpr std::ptrdiff_t kFull = sizeof buffer - 4;  // room for one more step
    char* cursor = buffer;
    out.reserve(out.size() + count);
    for (std::size_t i = 0; i < count;) {
        if (cursor - buffer >= kFull) {
            out.append(buffer, static_cast<std::size_t>(cursor - buffer));
            cursor = buffer;
        }
        // As much of a run of ASCII as the buffer takes.
        const auto room = static_cast<std::size_t>(buffer + sizeof buffer - 4 - cursor);
        std::size_t run = 0;
        while (run + 4 <= room && i + run + 4 <= count && text.fourAscii(i + run)) run += 4;
        if (run > 0) {
            text.narrow(i, run, cursor);
            cursor += run, i += run;
            continue;
        }
        char32_t c = text.unit(i++);
        if (isHighSurrogate(c) && i < count && isLowSurrogate(text.unit(i))) {
            c = characterOfPair(c, text.unit(i++));
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacementCharacter;
        }
        cursor = encodeUtf8(c, cursor);
    }
    out.append(buffer, static_cast<std::size_t>(cursor - buffer));
}

// UTF-16LE as stored.
struct StoredUnits {
    const unsigned char* bytes;
    char32_t unit(std::size_t i) const {
        return bytes[2 * i] | static_cast<char32_t>(bytes[2 * i + 1]) << 8;
    }
    bool fourAscii(std::size_t i) const {
        std::uint64_t word;
        std::memcpy(&word, bytes + 2 * i, 8);
        return (word & 0xFF80FF80FF80FF80ULL) == 0;
    }
    void narrow(std::size_t i, std::size_t n, char* to) const {
        for (std::size_t k = 0; k < n; ++k) to[k] = static_cast<char>(bytes[2 * (i + k)]);
    }
};

// Code units decoded from single bytes.
struct DecodedUnits {
    const char16_t* units;
    char32_t unit(std::size_t i) const { return units[i]; }
    bool fourAscii(std::size_t i) const {
        return (units[i] | units[i + 1] | units[i + 2] | units[i + 3]) < 0x80;
    }
    void narrow(std::size_t i, std::size_t n, char* to) const {
        for (std::size_t k = 0; k < n; ++k) to[k] = static_cast<char>(units[i + k]);
    }
};

void appendHexAscii(const std::u16string& units, std::string& out) {
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
            appendHexByte(out, static_cast<unsigned char>(units[i] & 0xFF));
            appendHexByte(out, static_cast<unsigned char>(units[i] >> 8));
        }
        out += "$$ENDHEX$$";
    }
}

}  // namespace

bool encodeSourceText(const std::string& exported, ExportedText form, SourceEncoding encoding,
                      CodePage& codePage, std::string& encoded, std::string& reason) {
    const bool unicode = form == ExportedText::Utf16;
    // Native exports, and ASCII text in either form, need no conversion.
    if (encoding == SourceEncoding::Native) {
        encoded = exported;
        return true;
    }
    encoded = encoding == SourceEncoding::Utf8 ? "\xEF\xBB\xBF" : "HA";
    if (!unicode && isAscii(exported)) {
        encoded += exported;
        return true;
    }
    // A Unicode-era export is UTF-16LE after its byte order mark; a last odd
    // byte is half a unit, which is not text.
    const StoredUnits stored{reinterpret_cast<const unsigned char*>(exported.data()) + 2};
    const std::size_t units = unicode && exported.size() >= 2 ? (exported.size() - 2) / 2 : 0;
    const bool halfUnit = unicode && exported.size() % 2 != 0;
    if (unicode && encoding == SourceEncoding::Utf8) {
        appendUnitsAsUtf8(stored, units, encoded);
        if (halfUnit) encoded += "\xEF\xBF\xBD";
        return true;
    }
    std::u16string text;
    if (unicode) {
        text.resize(units + (halfUnit ? 1 : 0), kReplacementCharacter);
        for (std::size_t i = 0; i < units; ++i) {
            const char32_t c = stored.unit(i);
            const bool paired =
                (isHighSurrogate(c) && i + 1 < units && isLowSurrogate(stored.unit(i + 1))) ||
                (isLowSurrogate(c) && i > 0 && isHighSurrogate(stored.unit(i - 1)));
            if (paired || !(isHighSurrogate(c) || isLowSurrogate(c)))
                text[i] = static_cast<char16_t>(c);
        }
    } else if (!decodeSingleByte(exported, codePage, text, reason)) {
        return false;
    }
    if (encoding == SourceEncoding::HexAscii) {
        appendHexAscii(text, encoded);
    } else {
        appendUnitsAsUtf8(DecodedUnits{text.data()}, text.size(), encoded);
    }
    return true;
}

}  // namespace lorvex
