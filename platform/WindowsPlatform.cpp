// The build picks this file on Windows only; elsewhere it compiles to nothing.
#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"
#include "platform/WindowsCalls.h"

namespace lorvex::platform {

namespace {

std::string utf8Of(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

}  // namespace

namespace windows {

std::wstring widePath(const std::string& path) {
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int length = MultiByteToWideChar(codePage, flags, path.data(), static_cast<int>(path.size()),
                                     nullptr, 0);
    if (length <= 0) {
        codePage = CP_ACP;
        flags = 0;
        length = MultiByteToWideChar(codePage, flags, path.data(), static_cast<int>(path.size()),
                                     nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(codePage, flags, path.data(), static_cast<int>(path.size()), wide.data(),
                        length);
    return wide;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return FileIdentity{
        information.dwVolumeSerialNumber,
        static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow,
        true};
}

bool failed(std::string& reason, DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    reason = text != nullptr ? utf8Of(text) : "error " + std::to_string(code);
    LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return false;
}

}  // namespace windows

using windows::failed;
using windows::identityOf;
using windows::widePath;

namespace {

HANDLE handleOf(int descriptor) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

bool succeeded(BOOL result, std::string& reason) {
    return result != 0 || failed(reason);
}

// A descriptor for a handle just opened, which it then owns.
bool descriptorFor(HANDLE handle, int flags, int& descriptor, std::string& reason) {
    if (handle == INVALID_HANDLE_VALUE) return failed(reason);
    descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (descriptor >= 0) return true;
    CloseHandle(handle);
    return failed(reason, ERROR_TOO_MANY_OPEN_FILES);
}

}  // namespace

bool openForReading(const std::string& path, int& descriptor, std::string& reason) {
    const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return failed(reason, ERROR_BAD_FILE_TYPE);
    }
    return descriptorFor(handle, _O_RDONLY, descriptor, reason);
}

FileIdentity identityOfPath(const std::string& path) {
    const HANDLE handle = CreateFileW(widePath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FileIdentity{};
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    return known ? identityOf(information) : FileIdentity{};
}

bool fileSizeOf(int descriptor, std::uint64_t& size, std::string& reason) {
    LARGE_INTEGER value{};
    if (!succeeded(GetFileSizeEx(handleOf(descriptor), &value), reason)) return false;
    if (value.QuadPart < 0) {
        reason = "has no size";
        return false;
    }
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

FileIdentity identityOf(int descriptor) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(handleOf(descriptor), &information) == 0) return FileIdentity{};
    return identityOf(information);
}

std::size_t readAt(int descriptor, std::uint64_t offset, void* destination, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1U << 30));
        if (ReadFile(handleOf(descriptor), static_cast<char*>(destination) + done, want, &got,
                     &at) == 0 ||
            got == 0)
            break;
        done += got;
    }
    return done;
}

bool writeAll(int descriptor, const void* bytes, std::size_t count, std::string& reason) {
    const auto* cursor = static_cast<const unsigned char*>(bytes);
    while (count > 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1U << 30));
        if (!succeeded(WriteFile(handleOf(descriptor), cursor, want, &written, nullptr), reason))
            return false;
        cursor += written;
        count -= written;
    }
    return true;
}

bool windows::createForWriting(const std::string& path, const FileIdentity& library,
                               int& descriptor, std::string& reason) {
    const std::size_t slash = path.find_last_of("/\\");
    if (!isStorableName(path.substr(slash == std::string::npos ? 0 : slash + 1), reason))
        return false;
    // Opened without truncation and without following a reparse point, so the
    // library and links can be recognised before any harm.
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || GetFileInformationByHandle(handle, &information) == 0) {
        failed(reason);
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = "is a symbolic link or junction";
    } else if (sameFile(identityOf(information), library)) {
        reason = "is the library being read";
    } else if (information.nNumberOfLinks > 1) {
        reason = "has other hard links, which would change too";
    } else if (GetFileType(handle) != FILE_TYPE_DISK) {
        reason = "is not a file on disk";
    } else if (succeeded(SetEndOfFile(handle), reason)) {
        return descriptorFor(handle, _O_WRONLY, descriptor, reason);
    }
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return false;
}

bool windows::createTemporaryFor(const std::string& path, int& descriptor,
                                 std::string& temporaryPath, std::string& reason) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporaryPath =
            path.substr(0, base) + temporaryName(path.substr(base), GetCurrentProcessId(), attempt);
        const HANDLE handle = CreateFileW(widePath(temporaryPath).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return descriptorFor(handle, _O_WRONLY, descriptor, reason);
    }
    return failed(reason, ERROR_FILE_EXISTS);
}

bool setModificationTime(int descriptor, std::uint32_t secondsSince1970, std::string& reason) {
    // FILETIME counts 100-nanosecond intervals since 1601.
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(secondsSince1970) + 11644473600ULL) * 10000000ULL;
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return succeeded(SetFileTime(handleOf(descriptor), nullptr, &time, &time), reason);
}

bool closeFile(int descriptor, std::string& reason) {
    if (_close(descriptor) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

void abandonFile(int descriptor) {
    _close(descriptor);
}

bool windows::replaceFile(const std::string& from, const std::string& to, std::string& reason) {
    return succeeded(MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
                     reason);
}

bool windows::removeFile(const std::string& path, std::string& reason) {
    return succeeded(DeleteFileW(widePath(path).c_str()), reason);
}

bool readSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                   std::string& reason, bool followLinks) {
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failed(reason);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool plain = GetFileInformationByHandle(handle, &information) != 0 &&
                       (information.dwFileAttributes &
                        (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
                       GetFileType(handle) == FILE_TYPE_DISK;
    if (!plain) reason = "is not a regular file";
    const std::uint64_t size =
        static_cast<std::uint64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
    int descriptor = -1;
    if (!descriptorFor(handle, _O_RDONLY, descriptor, reason)) return false;
    const bool fits = plain && size <= limit;
    if (plain && !fits) reason = "is too large";
    if (fits) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(readAt(descriptor, 0, bytes.data(), bytes.size()));
    }
    _close(descriptor);
    if (fits && bytes.size() != size) reason = "changed while it was read";
    return fits && bytes.size() == size;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileComparer::holds(const std::string& path, const std::string& bytes,
                         FileIdentity& identity) {
    identity = FileIdentity{};
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    const std::uint64_t size =
        static_cast<std::uint64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
    if (known) identity = identityOf(information);
    int descriptor = -1;
    std::string ignored;
    if (!descriptorFor(handle, _O_RDONLY, descriptor, ignored)) return false;
    bool same = known &&
                (information.dwFileAttributes &
                 (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
                size == bytes.size();
    piece_.resize(64 * 1024);
    for (std::size_t done = 0; same && done < bytes.size(); done += piece_.size()) {
        const std::size_t want = std::min(piece_.size(), bytes.size() - done);
        same = readAt(descriptor, done, piece_.data(), want) == want &&
               std::memcmp(piece_.data(), bytes.data() + done, want) == 0;
    }
    _close(descriptor);
    return same;
}

std::string nameAsListed(const std::string& name) {
    return utf8Of(widePath(name).c_str());
}

bool listFolder(const std::string& path, std::vector<FolderItem>& items, std::string& reason) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(widePath(path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return failed(reason);
    do {
        const DWORD kinds =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
        items.push_back(FolderItem{utf8Of(found.cFileName), (found.dwFileAttributes & kinds) == 0});
    } while (FindNextFileW(search, &found) != 0);
    FindClose(search);
    return true;
}

bool makeFolder(const std::string& path, std::string& reason) {
    if (CreateDirectoryW(widePath(path).c_str(), nullptr) != 0) return true;
    const DWORD failure = GetLastError();
    if (isFolder(path)) return true;
    if (failure != ERROR_ALREADY_EXISTS) return failed(reason, failure);
    reason = path + " is not a folder";
    return false;
}

bool exists(const std::string& path) {
    return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string currentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring wide(length, L'\0');
    if (length == 0 || GetCurrentDirectoryW(length, wide.data()) == 0) return "";
    return utf8Of(wide.c_str());
}

bool isAbsolutePath(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
           (path.size() > 2 && path[1] == ':' && (path[2] == '/' || path[2] == '\\'));
}

bool isPathSeparator(char c) {
    return c == '/' || c == '\\';
}

FolderLock::~FolderLock() {
    // The lock file goes when its handle closes, also when the process dies.
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool FolderLock::take(const std::string& folder, bool wait, bool& busy, std::string& reason) {
    busy = false;
    // A folder cannot be locked here: a file of its own, opened by one process
    // at a time and deleted when closed, stands for the lock.
    const std::wstring lockFile = widePath(folder + "\\.lorvex-lock");
    // Held by another run, the file cannot be shared; just let go, it is
    // denied for a moment while it is deleted. Denied for longer, it is not a
    // run's: a folder, a read-only file, a folder this user cannot write in.
    for (int denied = 0;;) {
        const HANDLE handle =
            CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(handle);
            return true;
        }
        const DWORD failure = GetLastError();
        busy = failure == ERROR_SHARING_VIOLATION ||
               (failure == ERROR_ACCESS_DENIED && ++denied <= 50);
        if (!busy || !wait) return failed(reason, failure);
        Sleep(100);
    }
}

namespace {

DWORD WINAPI runBody(void* body) {
    const auto& run = *static_cast<const ThreadBody*>(body);
    run.function(run.argument);
    return 0;
}

}  // namespace

void setBinaryMode(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
}

bool Thread::start(void (*function)(void*), void* argument) {
    join();
    body_ = ThreadBody{function, argument};
    const HANDLE thread = CreateThread(nullptr, 0, runBody, &body_, 0, nullptr);
    started_ = thread != nullptr;
    handle_ = reinterpret_cast<std::uintptr_t>(thread);
    return started_;
}

void Thread::join() {
    const HANDLE thread = reinterpret_cast<HANDLE>(handle_);
    if (started_) WaitForSingleObject(thread, INFINITE);
    if (started_) CloseHandle(thread);
    started_ = false;
}

std::size_t processorCount() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return std::max<DWORD>(system.dwNumberOfProcessors, 1);
}

LetterCase::LetterCase() = default;

LetterCase::~LetterCase() = default;

char32_t LetterCase::capitalOf(char32_t c) const {
    // The system's own capitals, as its case-insensitive ordinal comparison
    // uses; it takes a character beyond U+FFFF as a surrogate pair.
    wchar_t units[2] = {static_cast<wchar_t>(c), 0};
    int count = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    }
    wchar_t capital[2] = {};
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, units, count, capital, count, nullptr,
                      nullptr, 0) != count)
        return c;
    if (count == 1) return capital[0];
    return 0x10000 + ((static_cast<char32_t>(capital[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(capital[1]) - 0xDC00);
}

std::size_t longestName(const std::string& folderPath) {
    constexpr std::size_t kLongestName = 255, kLongestPath = MAX_PATH - 1;
    // Files are opened by their whole path, which Windows takes up to 259 characters long.
    const std::wstring folder = widePath(folderPath.empty() ? "." : folderPath);
    const std::size_t length = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (length == 0 || length >= kLongestPath) return 0;
    return std::min(kLongestName, kLongestPath - length);  // less its NUL, plus a separator
}

std::size_t nameLength(const std::string& name) {
    return widePath(name).size();
}

bool isStorableName(const std::string& name, std::string& reason) {
    return isWindowsStorableName(name, reason);
}

bool toLocalTime(std::int64_t secondsSince1970, std::tm& parts) {
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    return localtime_s(&parts, &seconds) == 0;
}

CodePageConverter::CodePageConverter(unsigned codePage) : codePage_(codePage) {}

CodePageConverter::~CodePageConverter() = default;

bool CodePageConverter::available() const {
    CPINFO information{};
    return GetCPInfo(codePage_, &information) != 0;
}

bool CodePageConverter::decode(const std::string& bytes, std::u16string& units,
                               std::size_t& invalidAt) {
    units.clear();
    invalidAt = 0;
    if (bytes.empty()) return available();
    const int length = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) {
        // The system does not say where: the first character that does not convert alone.
        const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::size_t width =
                IsDBCSLeadByteEx(codePage_, text[i]) != 0 && i + 1 < bytes.size() ? 2 : 1;
            if (MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                    static_cast<int>(width), nullptr, 0) <= 0) {
                invalidAt = i;
                return false;
            }
            i += width - 1;
        }
        invalidAt = bytes.size();
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(),
                        static_cast<int>(bytes.size()), wide.data(), length);
    units.assign(wide.begin(), wide.end());
    return true;
}

}  // namespace lorvex::platform

#endif  // ifdef _WIN32
