#include "text/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/Hex.h"
#include "text/Utf16.h"
#include "text/Utf8.h"

namespace lorvex {

namespace {

bool isDoubleByte(unsigned number) {
    return number == 932 || number == 936 || number == 949 || number == 950;
}

bool validUnit(char16_t unit) {
    return (unit < 0x80 || unit > 0x9F) && (unit < 0xE000 || unit > 0xF8FF);
}

}  // namespace

bool isAscii(const std::string& text) {
    // Every single-byte export is tested whole before it converts, and most
    // are ASCII throughout: the test must cost no more than reading them.
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080ULL) == 0;
}

CodePage::CodePage(unsigned number) : number_(number) {
    if (number == 0) return;
    converter_ = std::make_unique<platform::CodePageConverter>(number);
    if (!available() || isDoubleByte(number)) return;
    // Single-byte code pages convert through a table made from the system's
    // conversion of each byte.
    table_.assign(256, u'\0');
    for (unsigned byte = 1; byte < 256; ++byte) {
        std::u16string one;
        std::size_t invalidAt = 0;
        if (converter_->decode(std::string(1, static_cast<char>(byte)), one, invalidAt) &&
            one.size() == 1 && validUnit(one[0]))
            table_[byte] = one[0];
    }
}

bool CodePage::available() const {
    return converter_ != nullptr && converter_->available() &&
           std::find(kSupportedCodePages.begin(), kSupportedCodePages.end(), number_) !=
               kSupportedCodePages.end();
}

bool CodePage::decode(const std::string& bytes, std::u16string& units, std::size_t& invalidAt) {
    invalidAt = 0;
    if (!available()) {
        // Only ASCII converts without a code page.
        units.assign(bytes.begin(), bytes.end());
        const auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        });
        invalidAt = static_cast<std::size_t>(high - bytes.begin());
        return high == bytes.end();
    }
    if (!table_.empty()) {
        units.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            units[i] = table_[byte];
            if (byte != 0 && units[i] == 0) {
                invalidAt = i;
                return false;
            }
        }
        return true;
    }
    if (!converter_->decode(bytes, units, invalidAt)) return false;
    const auto bad =
        std::find_if(units.begin(), units.end(), [](char16_t unit) { return !validUnit(unit); });
    if (bad == units.end()) return true;
    // The character that made the invalid unit: characters of double-byte
    // code pages are one or two bytes.
    std::u16string one;
    std::size_t ignored = 0;
    for (invalidAt = 0; invalidAt < bytes.size(); ++invalidAt) {
        const bool single = converter_->decode(bytes.substr(invalidAt, 1), one, ignored);
        if (!single && !converter_->decode(bytes.substr(invalidAt, 2), one, ignored)) break;
        if (one.size() != 1 || !validUnit(one[0])) break;
        invalidAt += single ? 0 : 1;
    }
    invalidAt = std::min(invalidAt, bytes.size() - 1);
    return false;
}

bool CodePage::toUtf8(const std::string& bytes, std::string& utf8, std::size_t& invalidAt) {
    invalidAt = 0;
    if (isAscii(bytes)) {
        utf8 = bytes;
        return true;
    }
    std::u16string units;
    if (!decode(bytes, units, invalidAt)) return false;
    utf8.clear();
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        // Code pages give surrogates only in pairs.
        if (isHighSurrogate(c) && i + 1 < units.size()) c = characterOfPair(c, units[++i]);
        appendUtf8(utf8, c);
    }
    return true;
}

std::string CodePage::whyInvalid(unsigned char byte) const {
    const std::string shown =
        std::string("byte 0x") + upperHexDigit(byte >> 4) + upperHexDigit(byte);
    if (number_ == 0) return shown + " needs --codepage";
    return shown + " is not valid in code page " + std::to_string(number_);
}

}  // namespace lorvex
