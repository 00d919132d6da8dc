#include "sync/SourceNames.h"

#include "library/EntryNames.h"
#include "platform/Platform.h"
#include "text/Report.h"

namespace lorvex {

bool isShownAsIs(const std::string& name, bool utf8, std::string& reason) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F || (utf8 && c == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            reason = "its name holds a control character";
            return false;
        }
        if (utf8 && turnsDirection(name, i)) {
            reason = "its name holds a character that changes the direction of text";
            return false;
        }
    }
    return true;
}

bool isSafeName(const std::string& name, bool utf8, std::string& reason) {
    if (name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos) {
        reason = "its name would leave the folder";
        return false;
    }
    return isShownAsIs(name, utf8, reason) && platform::isStorableName(name, reason);
}

bool isExportName(const std::string& name) {
    return name.size() > 4 && equalsIgnoringCase(name.substr(name.size() - 4, 3).c_str(), ".sr");
}

bool fitsNameLimits(std::size_t longest, const std::string& name, std::string& reason) {
    // The temporary file is written first, under a longer name.
    const std::size_t overhead = platform::temporaryNameOverhead();
    if (platform::nameLength(name) + overhead <= longest) return true;
    const std::size_t most = longest > overhead ? longest - overhead : 0;
    reason = "its file name is longer than the " + std::to_string(most) +
             (platform::isPathSeparator('\\') ? " characters" : " bytes") +
             " a source's name may have here";
    return false;
}

}  // namespace lorvex
