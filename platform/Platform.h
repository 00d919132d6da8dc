#pragma once

// Everything that differs between POSIX systems and Windows, in one place:
// files by path, positioned reads, file identity, export files created without
// following links or emptying the library, atomic replacement, modification
// times, folders, and code page conversion. Windows gets paths as UTF-16:
// converted from UTF-8 when they are valid UTF-8 (names from Unicode-era
// libraries), else from the ANSI code page, as the command line and
// single-byte names come. Functions that can fail return false or -1 and
// leave the reason in lastError().

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace lorvex::platform {

// Identity of a file on disk, to tell whether two names are one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known = false;
};
inline bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}

// Why the last call failed, as the system says it.
std::string lastError();

// A regular file opened for reading (a folder or a pipe is refused, without
// waiting for a writer); -1 on failure.
int openForReading(const std::string& path);
// The identity of the file a path names, unknown when it cannot be opened.
FileIdentity identityOfPath(const std::string& path);
[[nodiscard]] bool fileSizeOf(int descriptor, std::uint64_t& size);
FileIdentity identityOf(int descriptor);
// Reads up to n bytes at offset; returns how many arrived (fewer at the end).
std::size_t readAt(int descriptor, std::uint64_t offset, void* destination, std::size_t n);

// Creates path, or empties it when it exists, for writing. Refuses the library
// itself, a symbolic link (or other reparse point), and on Windows a name the
// file system takes for something else; a pipe without reader fails at once.
// On failure returns -1 and says why in reason.
int createForWriting(const std::string& path, const FileIdentity& library, std::string& reason);
// A new file beside path, under a name of its own, for replacing path atomically.
int createTemporaryFor(const std::string& path, std::string& temporaryPath);
[[nodiscard]] bool writeAll(int descriptor, const void* bytes, std::size_t count);
[[nodiscard]] bool setModificationTime(int descriptor, std::uint32_t secondsSince1970);
[[nodiscard]] bool closeFile(int descriptor);
[[nodiscard]] bool replaceFile(const std::string& from, const std::string& to);
[[nodiscard]] bool removeFile(const std::string& path);

// Whether the regular file at path (a link is not followed) holds exactly
// bytes; when it does not, identity tells which file is there, if any.
[[nodiscard]] bool fileHolds(const std::string& path, const std::string& bytes,
                             FileIdentity& identity);
// The whole file, unless it is not a regular file or holds more than limit
// bytes; a link is followed only when followLinks is set.
[[nodiscard]] bool readSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                                 bool followLinks = false);
// Creates the folder and any missing parents; true when it exists afterwards.
[[nodiscard]] bool makeFolders(const std::string& path);
[[nodiscard]] bool listFolder(const std::string& path, std::vector<std::string>& names);
[[nodiscard]] bool isFolder(const std::string& path);
// A folder that is not a symbolic link or other reparse point.
[[nodiscard]] bool isPlainFolder(const std::string& path);

// Whether the file system takes names that differ in letter case for one file.
#ifdef _WIN32
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr bool kNamesIgnoreCase = false;
#endif
// A file name as listFolder gives it back once the file is created under name.
std::string nameAsListed(const std::string& name);

// Why the file system would not store a file under this name as it is (on
// Windows: a colon, a device name, a trailing dot or space); null when it would.
const char* nameProblem(const std::string& name);

static_assert(sizeof(std::time_t) >= 8, "stored times past 2038 need a 64-bit time_t");

// The local calendar time of seconds since 1970; false when the system cannot tell it.
[[nodiscard]] bool toLocalTime(std::int64_t secondsSince1970, std::tm& parts);

// Text in one Windows code page as UTF-16 code units, through the system's own
// tables (iconv on POSIX systems, whose handle the object owns).
class CodePageConverter {
public:
    explicit CodePageConverter(unsigned codePage);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    // Whether the system knows the code page.
    [[nodiscard]] bool available() const;
    // False when the bytes are not valid text in the code page (or it is not
    // available); invalidAt is then the offset of the first byte that is not.
    [[nodiscard]] bool decode(const std::string& bytes, std::u16string& units,
                              std::size_t& invalidAt);

private:
    unsigned codePage_;
    void* handle_ = nullptr;  // the iconv descriptor on POSIX systems
};

}  // namespace lorvex::platform
