// The build picks this file everywhere but Windows; there it compiles to nothing.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/Folder.h"
#include "platform/PosixCalls.h"

namespace lorvex::platform {

using posix::failed;
using posix::identityOf;

namespace {

// A handle that only names a folder, for looking up names relative to it,
// where the system has one: it needs no right to read the folder.
#ifdef O_PATH
constexpr int kFolderHandle = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderHandle = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Names are looked up relative to the folder at (AT_FDCWD for a path).
bool createAt(int at, const std::string& name, const FileIdentity& library, int& descriptor,
              std::string& reason) {
    // Opened without truncation, so the library can be recognised before any
    // harm; non-blocking, so a pipe without reader fails instead of hanging.
    descriptor =
        ::openat(at, name.c_str(),
                 O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        reason = errno == ELOOP ? "is a symbolic link" : std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        reason = std::strerror(errno);
    } else if (sameFile(identityOf(status), library)) {
        reason = "is the library being read";
    } else if (S_ISREG(status.st_mode) && status.st_nlink > 1) {
        reason = "has other hard links, which would change too";
    } else if (S_ISREG(status.st_mode) && status.st_size != 0 && ftruncate(descriptor, 0) != 0) {
        reason = std::strerror(errno);
    } else {
        if (!S_ISREG(status.st_mode))
            fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    ::close(descriptor);
    descriptor = -1;
    return false;
}

// A new file named after fileName under directory (a path prefix, empty or
// ending in a slash), created only if new; created is its name.
bool createTemporaryAt(int at, const std::string& directory, const std::string& fileName,
                       int& descriptor, std::string& created, std::string& reason) {
    // A name of this process's own; the file gets the permissions any new file gets here.
    static const auto process = static_cast<unsigned long>(getpid());  // never changes
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        created = temporaryName(fileName, process, attempt);
        descriptor = ::openat(at, (directory + created).c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) return true;
        if (errno != EEXIST) return failed(reason);
    }
    return failed(reason);
}

bool holdsAt(int at, const std::string& name, const std::string& bytes, std::vector<char>& piece,
             FileIdentity& identity) {
    identity = FileIdentity{};
    const int descriptor =
        ::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return false;
    // A piece at a time, the last one a byte longer than what is left: a
    // regular file reads short only at its end, so one read tells a shorter
    // or longer file, and the usual small file takes one read in all.
    piece.resize(64 * 1024);
    bool same = true;
    for (std::size_t done = 0;;) {
        const std::size_t rest = bytes.size() - done;
        const bool last = rest < piece.size();
        const std::size_t want = last ? rest + 1 : piece.size();
        ssize_t got;
        do got = pread(descriptor, piece.data(), want, static_cast<off_t>(done));
        while (got < 0 && errno == EINTR);
        const std::size_t compared = last ? rest : want;
        same = got == static_cast<ssize_t>(compared) &&
               std::memcmp(piece.data(), bytes.data() + done, compared) == 0;
        if (!same || last) break;
        done += want;
    }
    if (!same) identity = platform::identityOf(descriptor);
    ::close(descriptor);
    return same;
}

bool readSmallAt(int at, const std::string& name, std::uint64_t limit, std::string& bytes,
                 std::string& reason, bool followLinks) {
    const int descriptor = ::openat(
        at, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (descriptor < 0) return failed(reason);
    struct stat status {};
    const bool regular = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    const bool fits = regular && static_cast<std::uint64_t>(status.st_size) <= limit;
    if (!fits) reason = regular ? "is too large" : "is not a regular file";
    if (fits) {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        bytes.resize(readAt(descriptor, 0, bytes.data(), bytes.size()));
    }
    ::close(descriptor);
    if (fits && bytes.size() != static_cast<std::size_t>(status.st_size))
        reason = "changed while it was read";
    return fits && bytes.size() == static_cast<std::size_t>(status.st_size);
}

bool listAt(int at, const char* name, std::vector<FolderItem>& items, std::string& reason) {
    const int descriptor = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* folder = descriptor < 0 ? nullptr : fdopendir(descriptor);
    if (folder == nullptr) {
        const bool opened = descriptor >= 0;
        failed(reason);
        if (opened) ::close(descriptor);
        return false;
    }
    while (const dirent* item = readdir(folder)) {
        FolderItem found{item->d_name, item->d_type == DT_REG};
        if (item->d_type == DT_UNKNOWN) {
            struct stat status {};
            found.plainFile =
                fstatat(dirfd(folder), item->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(status.st_mode);
        }
        items.push_back(std::move(found));
    }
    closedir(folder);
    return true;
}

// Waits for the lock on the folder a descriptor holds, or only tries.
bool lock(int descriptor, bool wait, bool& busy, std::string& reason) {
    // A lock on the folder itself: no file of its own, none left behind.
    int result;
    do result = flock(descriptor, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (result != 0 && errno == EINTR);
    busy = result != 0 && errno == EWOULDBLOCK;
    if (result != 0) reason = std::strerror(errno);
    return result == 0;
}

}  // namespace

bool FileComparer::holds(const std::string& path, const std::string& bytes,
                         FileIdentity& identity) {
    return holdsAt(AT_FDCWD, path, bytes, piece_, identity);
}

bool FileComparer::holds(const Folder& folder, const std::string& name, const std::string& bytes,
                         FileIdentity& identity) {
    std::string ignored;
    identity = FileIdentity{};
    return folder.isOneName(name, ignored) &&
           holdsAt(static_cast<int>(folder.handle_), name, bytes, piece_, identity);
}

bool readSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                   std::string& reason, bool followLinks) {
    return readSmallAt(AT_FDCWD, path, limit, bytes, reason, followLinks);
}

bool listFolder(const std::string& path, std::vector<FolderItem>& items, std::string& reason) {
    return listAt(AT_FDCWD, path.c_str(), items, reason);
}

FolderLock::~FolderLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));  // which lets the lock go
}

bool FolderLock::take(const std::string& folder, bool wait, bool& busy, std::string& reason) {
    busy = false;
    if (handle_ < 0) handle_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle_ < 0) return failed(reason);
    return lock(static_cast<int>(handle_), wait, busy, reason);
}

bool FolderLock::take(const Folder& folder, bool wait, bool& busy, std::string& reason) {
    busy = false;
    // A handle of its own on the folder: the lock goes with it, not with the folder's.
    if (handle_ < 0)
        handle_ =
            ::openat(static_cast<int>(folder.handle_), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle_ < 0) return failed(reason);
    return lock(static_cast<int>(handle_), wait, busy, reason);
}

Folder::~Folder() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool Folder::open(const std::string& path, std::string& reason) {
    const int descriptor = ::open(path.empty() ? "." : path.c_str(), kFolderHandle);
    if (descriptor < 0) return failed(reason);
    *this = Folder();
    handle_ = descriptor;
    path_ = path;
    return true;
}

bool Folder::openFolder(const std::string& name, Folder& child, std::string& reason) const {
    if (!isFolderName(name, reason)) return false;
    const int descriptor =
        ::openat(static_cast<int>(handle_), name.c_str(), kFolderHandle | O_NOFOLLOW);
    if (descriptor < 0) {
        // Not followed, a link fails as something that is not a folder.
        if (errno != ENOTDIR && errno != ELOOP) return failed(reason);
        reason = look(name).kind == ItemKind::Link ? "is a symbolic link, which is not followed"
                                                   : "is not a folder";
        return false;
    }
    child = Folder();
    child.handle_ = descriptor;
    child.path_ = pathOf(name);
    return true;
}

bool Folder::makeFolder(const std::string& name, Folder& child, std::string& reason) const {
    if (!isFolderName(name, reason)) return false;
    // One made by another process a moment ago is as good as one made here.
    if (::mkdirat(static_cast<int>(handle_), name.c_str(), 0777) != 0 && errno != EEXIST)
        return failed(reason);
    return openFolder(name, child, reason);
}

FileIdentity Folder::identity() const {
    return platform::identityOf(static_cast<int>(handle_));
}

bool Folder::createForWriting(const std::string& name, const FileIdentity& library, int& descriptor,
                              std::string& reason) const {
    descriptor = -1;
    return isOneName(name, reason) &&
           createAt(static_cast<int>(handle_), name, library, descriptor, reason);
}

bool Folder::createTemporaryFor(const std::string& name, int& descriptor,
                                std::string& temporaryName, std::string& reason) const {
    descriptor = -1;
    return isOneName(name, reason) && createTemporaryAt(static_cast<int>(handle_), "", name,
                                                        descriptor, temporaryName, reason);
}

bool Folder::rename(const std::string& from, const std::string& to, std::string& reason) const {
    const int at = static_cast<int>(handle_);
    return isOneName(from, reason) && isOneName(to, reason) &&
           (::renameat(at, from.c_str(), at, to.c_str()) == 0 || failed(reason));
}

bool Folder::remove(const std::string& name, std::string& reason) const {
    return isOneName(name, reason) &&
           (::unlinkat(static_cast<int>(handle_), name.c_str(), 0) == 0 || failed(reason));
}

ItemStatus Folder::look(const std::string& name) const {
    std::string ignored;
    struct stat status {};
    if (!isOneName(name, ignored)) return ItemStatus{ItemKind::Other, {}};
    if (fstatat(static_cast<int>(handle_), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return ItemStatus{errno == ENOENT ? ItemKind::Missing : ItemKind::Other, {}};
    const ItemKind kind = S_ISREG(status.st_mode)   ? ItemKind::PlainFile
                          : S_ISDIR(status.st_mode) ? ItemKind::Folder
                          : S_ISLNK(status.st_mode) ? ItemKind::Link
                                                    : ItemKind::Other;
    return ItemStatus{kind, identityOf(status)};
}

bool Folder::read(const std::string& name, std::uint64_t limit, std::string& bytes,
                  std::string& reason) const {
    return isOneName(name, reason) &&
           readSmallAt(static_cast<int>(handle_), name, limit, bytes, reason, false);
}

bool Folder::list(std::vector<FolderItem>& items, std::string& reason) const {
    // A handle of its own, so that listings never share a position.
    return listAt(static_cast<int>(handle_), ".", items, reason);
}

}  // namespace lorvex::platform

#endif  // ifndef _WIN32
