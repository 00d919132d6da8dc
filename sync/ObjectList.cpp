#include "sync/ObjectList.h"

#include <algorithm>
#include <utility>

#include "library/EntryNames.h"

namespace lorvex {

namespace {

// A name as it sorts: letters in one case, "_" just before "0".
std::string sortKey(const std::string& name) {
    std::string key = foldedName(name);
    for (char& c : key) {
        if (c == '_') c = '0' - 1;  // "/", which no file name holds
    }
    return key;
}

// A name in an object list: quotes and tildes escaped with a tilde,
// backslashes doubled.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"' || c == '~') {
            out += {'~', c};
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

namespace {

// What a name sorts by: its extension, then the rest as sortKey makes it, then
// the name itself, so that the order is total.
std::string orderKey(const std::string& name) {
    const std::size_t dot = std::min(name.rfind('.'), name.size());
    return foldedName(name.substr(dot)) + '\0' + sortKey(name.substr(0, dot)) + '\0' + name;
}

}  // namespace

bool objectListOrder(const std::string& a, const std::string& b) {
    return orderKey(a) < orderKey(b);
}

std::string objectListText(const std::string& libraryFileName, std::vector<std::string> sources) {
    // Each key made once, not once a comparison.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(sources.size());
    for (std::string& source : sources) keyed.emplace_back(orderKey(source), std::move(source));
    std::sort(keyed.begin(), keyed.end());
    const std::string library = quoted(libraryFileName);
    std::string text = "\xEF\xBB\xBFSave Format v3.0(19990112)\n@begin Libraries\n " + library +
                       " \"\";\n@end;\n@begin Objects \n";
    for (const auto& [key, source] : keyed) text += " " + quoted(source) + " " + library + ";\n";
    return text + "@end;\n";
}

}  // namespace lorvex
