#include "text/Report.h"

namespace lorvex {

namespace {

// The length of the valid UTF-8 sequence at text[at] that is not a control
// character or a turn of direction, or 0.
std::size_t printableLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U;
    };
    const unsigned lead = byte(at);
    if (lead < 0x80) return lead >= 0x20 && lead != 0x7F ? 1 : 0;
    // The range the second byte must be in narrows for overlong forms,
    // surrogates and code points above 0x10FFFF; C1 controls are C2 80-9F.
    unsigned low = 0x80, high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, low = lead == 0xC2 ? 0xA0 : 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return turnsDirection(text, at) ? 0 : length;
}

}  // namespace

bool turnsDirection(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U;
    };
    const unsigned lead = byte(at), second = byte(at + 1), third = byte(at + 2);
    if (lead == 0xD8) return second == 0x9C;
    return lead == 0xE2 && ((second == 0x80 && (third == 0x8E || third == 0x8F ||
                                                (third >= 0xAA && third <= 0xAE))) ||
                            (second == 0x81 && third >= 0xA6 && third <= 0xA9));
}

std::string printable(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = printableLength(text, at);
        if (length != 0) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[at++]);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return out;
}

}  // namespace lorvex
