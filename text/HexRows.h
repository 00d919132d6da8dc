#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// Bytes per row of a binary data section, and the hex groups in it.
constexpr std::size_t kRowBytes = 1996;
constexpr std::size_t kRowGroups = kRowBytes / 4;

// Appends one row: "2", a check digit, then each 32-bit little-endian word of
// the 1996 bytes as eight lowercase hex digits, then CR LF. The check digit is
// "0", or with checked the sum of the row's words modulo 16 as one uppercase
// hex digit.
void appendHexRow(std::string& out, const unsigned char* slice, bool checked);

}  // namespace lorvex
