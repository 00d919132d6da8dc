#include "sync/LineEnds.h"

#include <algorithm>
#include <cstddef>

namespace lorvex {

bool gitTakesForBinary(const std::string& bytes) {
    std::size_t printable = 0, other = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') return true;
            ++i;
        } else if (c == 0) {
            return true;
        } else if (c == 0x7F ||
                   (c < 0x20 && c != '\n' && c != '\b' && c != '\t' && c != 0x1B && c != '\f')) {
            ++other;
        } else if (c != '\n') {
            ++printable;
        }
    }
    // A DOS end-of-file mark at the very end does not count.
    if (!bytes.empty() && bytes.back() == 0x1A) --other;
    return printable / 128 < other;
}

void toLfLineEnds(std::string& bytes) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        bytes[kept++] = bytes[i];
    }
    bytes.resize(kept);
}

bool differOnlyInLineEnds(const std::string& a, const std::string& b) {
    auto crlf = [](const std::string& text, std::size_t at) {
        return text.compare(at, 2, "\r\n") == 0;
    };
    std::size_t i = 0, j = 0;
    bool differ = false;
    while (i < a.size() && j < b.size()) {
        const bool lineEndA = crlf(a, i) || a[i] == '\n', lineEndB = crlf(b, j) || b[j] == '\n';
        if (lineEndA != lineEndB || (!lineEndA && a[i] != b[j])) return false;
        differ = differ || (lineEndA && crlf(a, i) != crlf(b, j));
        i += lineEndA && crlf(a, i) ? 2 : 1;
        j += lineEndB && crlf(b, j) ? 2 : 1;
    }
    return differ && i == a.size() && j == b.size();
}

}  // namespace lorvex
