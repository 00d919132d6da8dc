#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace lorvex {

// The Windows code pages of single-byte libraries that both iconv and Windows
// convert, and convert alike.
inline constexpr std::array<unsigned, 14> kSupportedCodePages = {
    874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

// The text of single-byte libraries in the code page its user names (0 when
// none was given), as Unicode. Bytes a code page leaves undefined, which
// Windows maps to C1 control or private-use characters where iconv refuses
// them, count as invalid, so both platforms agree.
class CodePage {
public:
    explicit CodePage(unsigned number = 0);

    unsigned number() const { return number_; }
    // Whether the number is one of kSupportedCodePages and the system has it.
    [[nodiscard]] bool available() const;

    // The bytes as UTF-16 code units, or as UTF-8. ASCII needs no code page.
    // False when a byte of 0x80 or more comes without a code page or the bytes
    // are not valid in it; invalidAt is then the offset of the first such byte.
    [[nodiscard]] bool decode(const std::string& bytes, std::u16string& units,
                              std::size_t& invalidAt);
    [[nodiscard]] bool toUtf8(const std::string& bytes, std::string& utf8, std::size_t& invalidAt);
    // What is wrong with a byte decode refused ("byte 0xA9 needs --codepage").
    std::string whyInvalid(unsigned char byte) const;

private:
    unsigned number_;
    std::unique_ptr<platform::CodePageConverter> converter_;
    // For code pages where every byte is a character of its own: each byte's
    // unit, 0 for a byte that is not valid. Empty for double-byte code pages.
    std::u16string table_;
};

// Whether text holds only bytes below 0x80.
bool isAscii(const std::string& text);

}  // namespace lorvex
