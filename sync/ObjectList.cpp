#include "sync/ObjectList.h"

#include <algorithm>
#include <tuple>

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

bool objectListOrder(const std::string& a, const std::string& b) {
    const std::size_t dotA = std::min(a.rfind('.'), a.size());
    const std::size_t dotB = std::min(b.rfind('.'), b.size());
    const auto key = [](const std::string& name, std::size_t dot) {
        return std::make_tuple(foldedName(name.substr(dot)), sortKey(name.substr(0, dot)), name);
    };
    return key(a, dotA) < key(b, dotB);
}

std::string objectListText(const std::string& libraryFileName, std::vector<std::string> sources) {
    std::sort(sources.begin(), sources.end(), objectListOrder);
    const std::string library = quoted(libraryFileName);
    std::string text = "\xEF\xBB\xBFSave Format v3.0(19990112)\n@begin Libraries\n " + library +
                       " \"\";\n@end;\n@begin Objects \n";
    for (const std::string& source : sources) text += " " + quoted(source) + " " + library + ";\n";
    return text + "@end;\n";
}

}  // namespace lorvex
