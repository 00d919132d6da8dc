#include "sync/ListedPaths.h"

#include <algorithm>

#include "library/EntryNames.h"
#include "platform/Platform.h"

namespace lorvex {

namespace {

// "a, b and c"
std::string listOf(const std::vector<std::string>& names) {
    std::string list = names.front();
    for (std::size_t i = 1; i < names.size(); ++i)
        list += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return list;
}

}  // namespace

const std::vector<std::string>& ListedPaths::namesIn(const std::string& folder) {
    const auto [found, fresh] = listings_.try_emplace(folder);
    if (!fresh) return found->second;
    std::vector<platform::FolderItem> items;
    std::string ignored;  // a folder that cannot be listed holds no name to match
    if (platform::listFolder(folder.empty() ? "." : folder, items, ignored)) {
        for (platform::FolderItem& item : items)
            if (item.name != "." && item.name != "..")
                found->second.push_back(std::move(item.name));
    }
    // In one order, so that a message naming several is the same every time.
    std::sort(found->second.begin(), found->second.end());
    return found->second;
}

bool ListedPaths::resolve(const std::string& folder, const std::string& written, std::string& path,
                          std::string& reason) {
    std::size_t at = 0;
    if (!written.empty() && written[0] == '/') at = 1;
    if (written.size() > 1 && written[1] == ':')
        at = written.size() > 2 && written[2] == '/' ? 3 : 2;
    path = at != 0 ? written.substr(0, at) : folder;
    for (bool listed = true; at <= written.size();) {
        const std::size_t end = std::min(written.find('/', at), written.size());
        std::string part = written.substr(at, end - at);
        if (listed && !part.empty() && part != "." && part != "..") {
            const std::vector<std::string>& names = namesIn(path);
            if (std::find(names.begin(), names.end(), part) == names.end()) {
                std::vector<std::string> matches;
                for (const std::string& name : names)
                    if (equalsIgnoringCase(name.c_str(), part.c_str())) matches.push_back(name);
                if (matches.size() > 1) {
                    reason = "its part " + part + " matches " + listOf(matches) +
                             ", which differ only in letter case";
                    return false;
                }
                listed = matches.size() == 1;
                if (listed) part = matches.front();
            }
        }
        path += part + (end < written.size() ? "/" : "");
        at = end + 1;
    }
    return true;
}

}  // namespace lorvex
