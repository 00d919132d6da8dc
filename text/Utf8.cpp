#include "text/Utf8.h"

namespace lorvex {

Utf8Character decodeUtf8(const char* text, std::size_t size, std::size_t at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = bytes[at];
    if (lead < 0x80) return Utf8Character{lead, 1, /*valid=*/true};
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return Utf8Character{};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (at + k >= size || (bytes[at + k] & 0xC0) != 0x80)
            return Utf8Character{kReplacementCharacter, k, /*valid=*/false};
        c = (c << 6) | (bytes[at + k] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return Utf8Character{kReplacementCharacter, length, /*valid=*/false};
    return Utf8Character{c, length, /*valid=*/true};
}

bool isUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Character c = decodeUtf8(text.data(), text.size(), at);
        if (!c.valid) return false;
        at += c.length;
    }
    return true;
}

}  // namespace lorvex
