#include "text/CaseFolder.h"

#include "text/Utf8.h"

namespace lorvex {

std::string CaseFolder::fold(const std::string& name) const {
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const Utf8Character c = decodeUtf8(name.data(), name.size(), at);
        if (c.valid) {
            appendUtf8(folded, letterCase_.capitalOf(c.value));
        } else {
            folded.append(name, at, c.length);
        }
        at += c.length;
    }
    return folded;
}

}  // namespace lorvex
