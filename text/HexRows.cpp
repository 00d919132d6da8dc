#include "text/HexRows.h"

#include "text/Hex.h"

namespace lorvex {

void appendHexRow(std::string& out, const unsigned char* slice, bool checked) {
    const std::size_t start = out.size();
    out.resize(start + 2 + kRowGroups * 8 + 2);
    char* cursor = &out[start];
    *cursor++ = '2';
    char* check = cursor++;
    unsigned sum = 0;
    for (std::size_t group = 0; group < kRowGroups; ++group) {
        const unsigned char* word = slice + group * 4;
        sum += word[0];  // only the low four bits of the sum count
        // A little-endian word printed as a number shows its last byte first.
        for (int byte = 3; byte >= 0; --byte) {
            const char* pair = hexPair(word[byte]);
            *cursor++ = pair[0];
            *cursor++ = pair[1];
        }
    }
    *check = checked ? upperHexDigit(sum) : '0';
    *cursor++ = '\r';
    *cursor = '\n';
}

}  // namespace lorvex
