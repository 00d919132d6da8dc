#include "sync/ObjectList.h"

#include <algorithm>
#include <utility>

#include "extract/SourceOrder.h"
#include "library/EntryNames.h"

namespace lorvex {

namespace {

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

std::string objectListText(const std::string& libraryFileName, std::vector<std::string> sources) {
    // Each key made once, not once a comparison.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(sources.size());
    for (std::string& source : sources)
        keyed.emplace_back(objectListKey(source), std::move(source));
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
