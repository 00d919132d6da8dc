#pragma once

// Everything that differs between POSIX systems and Windows, in one place
// with platform/Folder.h (folders held open, and the names in them): files by
// path, positioned reads, file identity, files created beside others for
// atomic replacement, modification times, folders, and code page conversion.
// Windows gets paths as UTF-16: converted from UTF-8 when they are valid UTF-8
// (names from Unicode-era libraries), else from the ANSI code page, as the
// command line and single-byte names come. Functions that can fail return
// false and say why in reason, as the system says it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace lorvex::platform {

class Folder;  // platform/Folder.h

// Identity of a file on disk, to tell whether two names are one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known = false;
};
inline bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}

// A regular file opened for reading (a folder or a pipe is refused, without
// waiting for a writer).
[[nodiscard]] bool openForReading(const std::string& path, int& descriptor, std::string& reason);
// The identity of the file a path names, unknown when it cannot be opened.
FileIdentity identityOfPath(const std::string& path);
[[nodiscard]] bool fileSizeOf(int descriptor, std::uint64_t& size, std::string& reason);
FileIdentity identityOf(int descriptor);
// Reads up to n bytes at offset; returns how many arrived (fewer at the end).
std::size_t readAt(int descriptor, std::uint64_t offset, void* destination, std::size_t n);

// The name of a temporary file made beside fileName, for replacing it
// atomically: ".lorvex-<file name>.<process>-<number>"; isTemporaryName tells
// whether a file name is of that form, from any process.
bool isTemporaryName(const std::string& name);
std::string temporaryName(const std::string& fileName, unsigned long process, unsigned attempt);
// How much longer than its file a temporary name may be.
std::size_t temporaryNameOverhead();
[[nodiscard]] bool writeAll(int descriptor, const void* bytes, std::size_t count,
                            std::string& reason);
[[nodiscard]] bool setModificationTime(int descriptor, std::uint32_t secondsSince1970,
                                       std::string& reason);
[[nodiscard]] bool closeFile(int descriptor, std::string& reason);
// Closes a file whose failures no longer matter: one only read, or one given
// up after a failure already reported.
void abandonFile(int descriptor);

// Compares files on disk with bytes in memory, a piece at a time, through a
// buffer of its own, so that memory stays small whatever a file's size.
class FileComparer {
public:
    // Whether the regular file at path (a link is not followed) holds exactly
    // bytes; when it does not, identity tells which file is there, if any.
    [[nodiscard]] bool holds(const std::string& path, const std::string& bytes,
                             FileIdentity& identity);
    // The same for the file name in folder.
    [[nodiscard]] bool holds(const Folder& folder, const std::string& name,
                             const std::string& bytes, FileIdentity& identity);

private:
    std::vector<char> piece_;
};
// The whole file, unless it is not a regular file or holds more than limit
// bytes; a link is followed only when followLinks is set.
[[nodiscard]] bool readSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                                 std::string& reason, bool followLinks = false);
// Creates the folder and any missing parents; true when it exists afterwards.
[[nodiscard]] bool makeFolders(const std::string& path, std::string& reason);
// Creates one folder whose parent exists; true when a folder is there afterwards.
[[nodiscard]] bool makeFolder(const std::string& path, std::string& reason);
[[nodiscard]] bool isFolder(const std::string& path);
// Whether anything (a link included) is at path.
[[nodiscard]] bool exists(const std::string& path);

// A name in a folder, and whether it is a plain file: not a folder, link or pipe.
struct FolderItem {
    std::string name;
    bool plainFile = false;
};
[[nodiscard]] bool listFolder(const std::string& path, std::vector<FolderItem>& items,
                              std::string& reason);
// A file name as listFolder gives it back once the file is created under name.
std::string nameAsListed(const std::string& name);

// The current directory as an absolute path; empty when it cannot be told.
std::string currentFolder();
// Whether path starts at a root or a drive.
bool isAbsolutePath(const std::string& path);
// Whether c separates the parts of a path here ("/", and on Windows "\\" too).
bool isPathSeparator(char c);

// Holds a lock on a folder while it lives, so that runs writing into one
// folder take turns; the lock goes with the process, however it ends, and
// leaves nothing behind in the folder.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock on a folder (its path, or a Folder), waiting while
    // another process holds it; whileWaiting is called once before such a
    // wait. False, with reason, when it cannot be taken.
    template <typename Where, typename WhileWaiting>
    [[nodiscard]] bool acquire(const Where& folder, WhileWaiting whileWaiting,
                               std::string& reason) {
        bool busy = false;
        if (take(folder, false, busy, reason)) return true;
        if (!busy) return false;
        whileWaiting();
        return take(folder, true, busy, reason);
    }

private:
    [[nodiscard]] bool take(const std::string& folder, bool wait, bool& busy, std::string& reason);
    [[nodiscard]] bool take(const Folder& folder, bool wait, bool& busy, std::string& reason);
    std::intptr_t handle_ = -1;
};

// From here on, a write to a pipe nobody reads, or past the limit of a
// file's size, fails as a full disk does instead of ending the process
// (POSIX systems: SIGPIPE and SIGXFSZ are ignored; nothing to do on Windows).
// For commands whose job is the files they write, not their output.
void letFailedWritesReturn();

// Makes a stream write its bytes as they are: on Windows a stream in text
// mode writes each LF as CR LF, which would turn CR LF into CR CR LF.
void setBinaryMode(std::FILE* stream);

// What a thread runs: function(argument).
struct ThreadBody {
    void (*function)(void*) = nullptr;
    void* argument = nullptr;
};

// A thread of this process, joined at the latest when it is destroyed.
class Thread {
public:
    Thread() = default;
    ~Thread() { join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Runs function(argument) on a new thread; false when the system starts
    // no more threads.
    [[nodiscard]] bool start(void (*function)(void*), void* argument);
    // Waits for the thread to end; nothing when none was started.
    void join();

private:
    ThreadBody body_;
    std::uintptr_t handle_ = 0;
    bool started_ = false;
};

// The processors this process runs on, at least 1.
std::size_t processorCount();

// Calls work(i) once for each i below count, on as many threads as there are
// processors (this one among them), and returns when all calls have returned;
// fewer threads run when no more can be started.
void runInParallel(std::size_t count, const std::function<void(std::size_t)>& work);

// Letters as a file system that ignores letter case compares them: the
// capital of each character, as the system maps it (text/CaseFolder.h folds
// whole names).
class LetterCase {
public:
    LetterCase();
    ~LetterCase();
    LetterCase(const LetterCase&) = delete;
    LetterCase& operator=(const LetterCase&) = delete;
    char32_t capitalOf(char32_t c) const;

private:
    void* locale_ = nullptr;  // the C library's locale for case mapping, on POSIX systems
};

// The most a file name in the folder at folderPath may have, in the units of
// nameLength: 255 bytes on POSIX systems (where no limit holds for a whole
// path opened through its folders); on Windows 255 UTF-16 units, and fewer
// where the whole path would pass 259.
std::size_t longestName(const std::string& folderPath);
std::size_t nameLength(const std::string& name);

// Whether the file system stores a file under this name as it is; on Windows
// the rules of isWindowsStorableName.
[[nodiscard]] bool isStorableName(const std::string& name, std::string& reason);
// Whether Windows stores a file under this name as it is: not a name with a
// control character or one of < > " | ? *, with a colon (a drive or a stream),
// a device name in any case with or without an extension, a name ending in a
// dot or a space, or one whose tilde and digit could be another file's short name.
[[nodiscard]] bool isWindowsStorableName(const std::string& name, std::string& reason);

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
    [[maybe_unused]] unsigned codePage_;  // what Windows converts by; iconv keeps it in its handle
    void* handle_ = nullptr;              // the iconv descriptor on POSIX systems
};

}  // namespace lorvex::platform
