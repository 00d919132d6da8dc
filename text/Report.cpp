#include "text/Report.h"

#include "text/Hex.h"
#include "text/Utf8.h"

namespace lorvex {

namespace {

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool isTurnOfDirection(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool turnsDirection(const std::string& text, std::size_t at) {
    const Utf8Character c = decodeUtf8(text.data(), text.size(), at);
    return c.valid && isTurnOfDirection(c.value);
}

std::string printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Character c = decodeUtf8(text.data(), text.size(), at);
        if (c.valid && !isControl(c.value) && !isTurnOfDirection(c.value)) {
            out.append(text, at, c.length);
            at += c.length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[at++]);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            appendHexByte(out, byte);
        }
    }
    return out;
}

}  // namespace lorvex
