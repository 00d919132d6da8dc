#include "sync/ObjectList.h"

#include <algorithm>
#include <utility>

#include "library/EntryNames.h"

namespace lorvex {

namespace {

// What a name sorts by: its extension in one case, then the rest with letters
// in one case and "_" just before "0" (as "/", which no file name holds), then
// the name itself, so that the order is total.
std::string orderKey(const std::string& name) {
    const std::size_t dot = std::min(name.rfind('.'), name.size());
    std::string key;
    key.reserve(2 * name.size() + 2);
    for (std::size_t i = dot; i < name.size(); ++i) key += foldAscii(name[i]);
    key += '\0';
    for (std::size_t i = 0; i < dot; ++i) key += name[i] == '_' ? '0' - 1 : foldAscii(name[i]);
    key += '\0';
    return key += name;
}

// A name in an object list, appended to text: quotes and tildes escaped with
// a tilde, backslashes doubled.
void appendQuoted(std::string& text, const std::string& name) {
    text += '"';
    for (const char c : name) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '"' || c == '~') {
            text += {'~', c};
        } else {
            text += c;
        }
    }
    text += '"';
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
    std::string library;
    appendQuoted(library, libraryFileName);
    std::string text = "\xEF\xBB\xBFSave Format v3.0(19990112)\n@begin Libraries\n " + library +
                       " \"\";\n@end;\n@begin Objects \n";
    for (const auto& entry : keyed) {
        text += ' ';
        appendQuoted(text, entry.second);
        text += ' ';
        text += library;
        text += ";\n";
    }
    return text + "@end;\n";
}

std::string objectListName(const std::string& libraryPath) {
    const std::string libraryName = fileNameOf(libraryPath);
    return libraryName.substr(0, libraryName.rfind('.')) + ".pbg";
}

}  // namespace lorvex
