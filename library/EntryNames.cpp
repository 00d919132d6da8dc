#include "library/EntryNames.h"

#include <cstring>

namespace lorvex {

namespace {
constexpr char kPcodePrefix[] = "PCODE\\";
constexpr char kResourcePrefix[] = "RESOURCES\\";
}  // namespace

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = foldAscii(c);
    return folded;
}

std::string fileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("/\\:") + 1);
}

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (foldAscii(*a) != foldAscii(*b)) return false;
    }
    return *a == *b;
}

EntryKind classifyName(const char* name, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (name[i] == ':' || name[i] == '/' || name[i] == '\\') return EntryKind::Resource;
    }
    if (length >= 4 && name[length - 4] == '.' && foldAscii(name[length - 3]) == 's' &&
        foldAscii(name[length - 2]) == 'r') {
        return EntryKind::Source;
    }
    return EntryKind::Pcode;
}

void formDisplayName(CurrentEntry& entry, const char* name, std::size_t length, bool utf8) {
    const char* prefix = "";
    switch (entry.kind) {
        case EntryKind::Source:
            break;
        case EntryKind::Pcode:
            prefix = kPcodePrefix;
            break;
        case EntryKind::Resource:
            prefix = kResourcePrefix;
            break;
    }
    const std::size_t prefixLength = std::strlen(prefix);
    std::size_t kept = length;
    const std::size_t room = CurrentEntry::kNameCapacity - 1 - prefixLength;
    if (kept > room) {
        kept = room;
        // Back off to a character boundary so the cut name stays valid UTF-8.
        while (utf8 && kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) --kept;
    }
    std::memcpy(entry.displayName, prefix, prefixLength);
    std::memcpy(entry.displayName + prefixLength, name, kept);
    entry.displayName[prefixLength + kept] = '\0';
}

std::size_t baseNameOffset(const char* name) {
    for (std::size_t i = std::strlen(name); i > 1; --i) {
        if (name[i - 1] == '\\' || name[i - 1] == '/') return i;
    }
    return 0;
}

bool isPairedRequest(const std::string& request) {
    if (request.size() < 4) return false;
    const std::string tail = request.substr(request.size() - 4);
    return tail == ".srw" || tail == ".srd" || tail == ".sru";
}

std::string companionNameFor(const std::string& request) {
    return std::string(kPcodePrefix) + request.substr(0, request.size() - 3) + "bin";
}

}  // namespace lorvex
