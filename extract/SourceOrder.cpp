#include "extract/SourceOrder.h"

#include <algorithm>

#include "library/EntryNames.h"

namespace lorvex {

// Its extension in one case, then the rest with letters in one case and "_"
// just before "0" (as "/", which no file name holds), then the name itself,
// so that the order is total.
std::string objectListKey(const std::string& name) {
    const std::size_t dot = std::min(name.rfind('.'), name.size());
    std::string key;
    key.reserve(2 * name.size() + 2);
    for (std::size_t i = dot; i < name.size(); ++i) key += foldAscii(name[i]);
    key += '\0';
    for (std::size_t i = 0; i < dot; ++i) key += name[i] == '_' ? '0' - 1 : foldAscii(name[i]);
    key += '\0';
    return key += name;
}

bool objectListOrder(const std::string& a, const std::string& b) {
    return objectListKey(a) < objectListKey(b);
}

}  // namespace lorvex
