#pragma once

#include <string>

#include "text/CodePage.h"

namespace lorvex {

// How the text of a source is written: UTF-8 after a byte order mark, the
// environment's own hex-escaped ASCII form, or in the library's own text
// form (in the order of the values of -s's --encoding).
enum class SourceEncoding { Utf8, HexAscii, Native };

// How an export holds its text: single bytes, or UTF-16LE after a byte order
// mark, as the library it comes from stores text.
enum class ExportedText { SingleByte, Utf16 };

// Turns the export of a source, as -e writes it, into the form of the chosen
// encoding:
//   Utf8      the byte order mark EF BB BF, then the whole text as UTF-8;
//   HexAscii  "HA", then the text as UTF-16 code units: a run of units of
//             0x80 or more (and the spaces after them) as $$HEX<n>$$ and four
//             hex digits a unit, low byte first, then $$ENDHEX$$; other units
//             as their ASCII byte;
//   Native    unchanged.
// Single-byte text is read in codePage (0: none given). False, with reason
// saying why, when the text cannot be converted without guessing: a byte of
// 0x80 or more and no code page, bytes invalid in the code page, or UTF-16
// that is not valid.
[[nodiscard]] bool encodeSourceText(const std::string& exported, ExportedText form,
                                    SourceEncoding encoding, CodePage& codePage,
                                    std::string& encoded, std::string& reason);

}  // namespace lorvex
