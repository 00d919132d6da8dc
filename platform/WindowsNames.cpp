#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/Platform.h"

namespace lorvex::platform {

// Plain rules over the name, kept apart from the Windows system calls so that
// every platform builds and tests them.
bool isWindowsStorableName(const std::string& name, std::string& reason) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*", c) != nullptr) {
            reason = "holds a character file names cannot hold here";
            return false;
        }
    }
    if (name.find(':') != std::string::npos) {
        reason = "holds a colon, which names a drive or a stream here";
        return false;
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        reason = "ends in a dot or a space, which the file system drops";
        return false;
    }
    // A device name, in any case, with or without an extension, is the device.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices)
        if (base == device) {
            reason = "is the name of a device";
            return false;
        }
    // COM and LPT with a digit, also a superscript one (in ANSI or in UTF-8).
    const std::string number = base.size() > 3 ? base.substr(3) : "";
    static const char* const kNumbers[] = {"\xB9",     "\xB2",     "\xB3",
                                           "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    const bool numbered =
        (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
        std::find(std::begin(kNumbers), std::end(kNumbers), number) != std::end(kNumbers);
    if (numbered && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0)) {
        reason = "is the name of a device";
        return false;
    }
    // A tilde and a digit may be the short name of another file in the folder.
    for (std::size_t tilde = base.find('~'); tilde != std::string::npos;
         tilde = base.find('~', tilde + 1))
        if (tilde + 1 < base.size() && base[tilde + 1] >= '0' && base[tilde + 1] <= '9') {
            reason = "may be the short name of another file";
            return false;
        }
    return true;
}

}  // namespace lorvex::platform
