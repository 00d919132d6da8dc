#include "sync/ProjectFiles.h"

#include "library/EntryNames.h"
#include "platform/Platform.h"
#include "sync/ListedPaths.h"
#include "text/Utf16.h"
#include "text/Utf8.h"

namespace lorvex {

namespace {

constexpr std::uint64_t kMaxProjectFileSize = 1 << 20;  // real ones hold a few kilobytes

// The text of a project file as UTF-8: saved as UTF-16LE after its mark, as
// UTF-8 after its mark, or in single bytes (where only ASCII matters here).
// It ends at its first zero, which no path can hold.
std::string textOf(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return utf16LeToUtf8(reinterpret_cast<const unsigned char*>(bytes.data()) + 2,
                             bytes.size() - 2);
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    return bytes.substr(start, bytes.find('\0', start) - start);
}

// The lines of a text, whatever its line ends, without leading blanks.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::size_t first = text.find_first_not_of(" \t", start);
        lines.push_back(first < end ? text.substr(first, end - first) : "");
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

bool startsWithWord(const std::string& line, const char* word) {
    const std::string prefix = line.substr(0, std::char_traits<char>::length(word));
    const char next = line.size() > prefix.size() ? line[prefix.size()] : ' ';
    return equalsIgnoringCase(prefix.c_str(), word) && (next == ' ' || next == '\t' || next == '"');
}

// The text between the first two quotes of a line, as written; false when
// there are not two quotes.
bool quotedValue(const std::string& line, std::string& value) {
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) return false;
    value = line.substr(open + 1, close - open - 1);
    return true;
}

// The code unit of "\uXXXX" at text[at], four hex digits in either case.
bool escapedUnit(const std::string& text, std::size_t at, char32_t& unit) {
    if (text.compare(at, 2, "\\u") != 0 || at + 6 > text.size()) return false;
    unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const char c = static_cast<char>(foldAscii(text[i]));
        const bool digit = c >= '0' && c <= '9';
        if (!digit && (c < 'a' || c > 'f')) return false;
        unit = unit << 4 | static_cast<char32_t>(digit ? c - '0' : c - 'a' + 10);
    }
    return true;
}

// A path as a project file writes it, as UTF-8: "\\" is one backslash and
// "\uXXXX" a UTF-16 code unit (a character beyond U+FFFF takes two); any
// other backslash stays. False, with reason, for an escape that gives no
// character a path can hold.
bool decodeWritten(const std::string& raw, std::string& decoded, std::string& reason) {
    decoded.clear();
    std::string high;  // the escape of a first half of a surrogate pair, waiting for its second
    for (std::size_t i = 0; i < raw.size();) {
        char32_t unit = 0;
        const bool escape = escapedUnit(raw, i, unit);
        if (!high.empty() && !(escape && isLowSurrogate(unit))) break;
        if (!escape) {
            decoded += raw[i];
            i += raw.compare(i, 2, "\\\\") == 0 ? 2 : 1;
            continue;
        }
        const std::string written = raw.substr(i, 6);
        i += 6;
        if (unit == 0 || (isLowSurrogate(unit) && high.empty())) {
            reason = "its " + written + " is not a character a path can hold";
            return false;
        }
        if (isHighSurrogate(unit)) {
            high = written;
            continue;
        }
        char32_t first = 0;
        if (!high.empty() && escapedUnit(high, 0, first)) unit = characterOfPair(first, unit);
        appendUtf8(decoded, unit);
        high.clear();
    }
    if (high.empty()) return true;
    reason = "its " + high + " is half of a character, without its second half";
    return false;
}

// A path as a project file writes it, relative to folder unless it starts at a
// root or a drive, each part as its folder lists it; separators become "/",
// which every platform takes.
NamedLibrary named(const std::string& raw, const std::string& folder, const std::string& by,
                   ListedPaths& paths) {
    NamedLibrary library{"", by, raw, {}, false};
    std::string written;
    if (!decodeWritten(raw, written, library.problem)) written = raw;
    library.asWritten = written;
    for (char& c : written) c = c == '\\' ? '/' : c;
    const bool rooted =
        written.compare(0, 1, "/") == 0 || (written.size() > 1 && written[1] == ':');
    const std::string base = rooted ? "" : folder;
    // A path that names no file is shown as written.
    if (!library.problem.empty()) library.path = folder + raw;
    if (library.problem.empty() && !paths.resolve(base, written, library.path, library.problem))
        library.path = base + written;
    return library;
}

}  // namespace

ProjectFileKind projectFileKind(const std::string& path) {
    const std::string tail = path.size() >= 4 ? foldedName(path.substr(path.size() - 4)) : "";
    return tail == ".pbw"   ? ProjectFileKind::Workspace
           : tail == ".pbt" ? ProjectFileKind::Target
                            : ProjectFileKind::Library;
}

bool readProjectFile(const std::string& path, ProjectFileKind kind, ListedPaths& paths,
                     ProjectFile& file, std::string& reason) {
    std::string bytes;
    const bool workspace = kind == ProjectFileKind::Workspace;
    if (!platform::readSmallFile(path, kMaxProjectFileSize, bytes, reason, /*followLinks=*/true)) {
        reason = std::string("cannot read the ") + (workspace ? "workspace" : "target") +
                 " file: " + reason;
        return false;
    }
    std::size_t slash = path.size();
    while (slash > 0 && !platform::isPathSeparator(path[slash - 1])) --slash;
    const std::string folder = path.substr(0, slash);
    bool inTargets = false;
    bool listed = false;
    std::string value;
    for (const std::string& line : linesOf(textOf(bytes))) {
        if (workspace && startsWithWord(line, "DefaultExportEncode") && quotedValue(line, value)) {
            file.exportEncoding = value;
        } else if (workspace && line.compare(0, 5, "@end;") == 0) {
            inTargets = false;
        } else if (workspace && startsWithWord(line, "@begin") &&
                   line.find("Targets") != line.npos) {
            inTargets = true;
        } else if (inTargets && quotedValue(line, value) && !value.empty()) {
            file.entries.push_back(named(value, folder, path, paths));
        } else if (!workspace && !listed && startsWithWord(line, "LibList")) {
            listed = true;
            if (!quotedValue(line, value)) {
                reason = "its LibList line has no quoted list of libraries";
                return false;
            }
            for (std::size_t start = 0; start <= value.size();) {
                std::size_t end = value.find(';', start);
                if (end == std::string::npos) end = value.size();
                if (end > start)
                    file.entries.push_back(
                        named(value.substr(start, end - start), folder, path, paths));
                start = end + 1;
            }
        }
    }
    if (!workspace && !listed) {
        reason = "no LibList line in the target file";
        return false;
    }
    if (file.entries.empty())
        reason = workspace ? "its Targets block names no target" : "its LibList names no library";
    return !file.entries.empty();
}

}  // namespace lorvex
