#include "sync/TargetFile.h"

#include "library/EntryNames.h"
#include "library/Utf16.h"
#include "platform/Platform.h"

namespace lorvex {

namespace {
constexpr std::uint64_t kMaxTargetSize = 1 << 20;  // real target files hold a few hundred bytes

constexpr char kSeparator = '/';  // Windows takes forward slashes too

// The text of a target file as UTF-8: saved as UTF-16LE after its mark, as
// UTF-8 after its mark, or in single bytes (where only ASCII matters here).
// It ends at its first zero, which no path can hold.
std::string textOf(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return utf16LeToUtf8(reinterpret_cast<const unsigned char*>(bytes.data()) + 2,
                             bytes.size() - 2);
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    return bytes.substr(start, bytes.find('\0', start) - start);
}
}  // namespace

bool isTargetFile(const std::string& path) {
    return path.size() >= 4 && equalsIgnoringCase(path.c_str() + path.size() - 4, ".pbt");
}

bool readTargetLibraries(const std::string& path, std::vector<std::string>& libraries,
                         std::string& error) {
    std::string bytes;
    if (!platform::readSmallFile(path, kMaxTargetSize, bytes, true)) {
        error = "cannot read the target file: " + platform::lastError();
        return false;
    }
    const std::string text = textOf(bytes);
    const std::size_t before = libraries.size();
    std::size_t line = 0;
    while (line < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t", line);
        const std::size_t end = text.find('\n', line);
        if (start != std::string::npos && text.compare(start, 7, "liblist") == 0) {
            const std::size_t open = text.find('"', start);
            const std::size_t close = open == std::string::npos ? open : text.find('"', open + 1);
            if (close == std::string::npos || (end != std::string::npos && close > end)) {
                error = "its liblist line has no quoted list of libraries";
                return false;
            }
            const std::size_t slash = path.find_last_of("/\\");
            const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
            std::string library;
            for (std::size_t i = open + 1; i <= close; ++i) {
                if (i == close || text[i] == ';') {
                    // Absolute paths and those with a drive are taken as they are.
                    const bool absolute =
                        library.size() > 1 && (library[0] == kSeparator || library[1] == ':');
                    if (!library.empty())
                        libraries.push_back(absolute ? library : folder + library);
                    library.clear();
                } else if (text[i] == '\\') {
                    library += kSeparator;
                    if (text[i + 1] == '\\') ++i;  // "\\" in the file is one backslash
                } else {
                    library += text[i];
                }
            }
            if (libraries.size() == before) error = "its liblist names no library";
            return libraries.size() > before;
        }
        line = end == std::string::npos ? text.size() : end + 1;
    }
    error = "no liblist line in the target file";
    return false;
}

}  // namespace lorvex
