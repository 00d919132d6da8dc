// The build picks this file on Windows only; elsewhere it compiles to nothing.
#ifdef _WIN32

#include <windows.h>

#include "platform/Folder.h"
#include "platform/WindowsCalls.h"

namespace lorvex::platform {

using windows::failed;
using windows::widePath;

namespace {

// Opens the folder at path and holds it without sharing deletion, so that it
// cannot be renamed, removed or replaced while held; flags adds
// FILE_FLAG_OPEN_REPARSE_POINT where a link or junction is refused.
HANDLE holdFolder(const std::string& path, DWORD flags, std::string& reason) {
    const HANDLE handle =
        CreateFileW(widePath(path.empty() ? "." : path).c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failed(reason);
        return handle;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const DWORD attributes =
        GetFileInformationByHandle(handle, &information) != 0 ? information.dwFileAttributes : 0;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = "is a symbolic link or junction, which is not followed";
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        reason = "is not a folder";
    } else {
        return handle;
    }
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
}

// What a name is, from a handle opened on it without following a link.
ItemStatus statusOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(handle, &information) == 0)
        return ItemStatus{ItemKind::Other, {}};
    const DWORD attributes = information.dwFileAttributes;
    const ItemKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? ItemKind::Link
                          : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? ItemKind::Folder
                          : GetFileType(handle) != FILE_TYPE_DISK          ? ItemKind::Other
                                                                           : ItemKind::PlainFile;
    return ItemStatus{kind, windows::identityOf(information)};
}

}  // namespace

Folder::~Folder() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool Folder::open(const std::string& path, std::string& reason) {
    const HANDLE handle = holdFolder(path, 0, reason);  // a link the user names is followed
    if (handle == INVALID_HANDLE_VALUE) return false;
    *this = Folder();
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    path_ = path;
    return true;
}

bool Folder::openFolder(const std::string& name, Folder& child, std::string& reason) const {
    if (!isFolderName(name, reason)) return false;
    const HANDLE handle = holdFolder(pathOf(name), FILE_FLAG_OPEN_REPARSE_POINT, reason);
    if (handle == INVALID_HANDLE_VALUE) return false;
    child = Folder();
    child.handle_ = reinterpret_cast<std::intptr_t>(handle);
    child.path_ = pathOf(name);
    return true;
}

bool Folder::makeFolder(const std::string& name, Folder& child, std::string& reason) const {
    if (!isFolderName(name, reason)) return false;
    // One made by another process a moment ago is as good as one made here.
    if (CreateDirectoryW(widePath(pathOf(name)).c_str(), nullptr) == 0 &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return failed(reason);
    return openFolder(name, child, reason);
}

FileIdentity Folder::identity() const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &information) == 0)
        return FileIdentity{};
    return windows::identityOf(information);
}

bool Folder::createForWriting(const std::string& name, const FileIdentity& library, int& descriptor,
                              std::string& reason) const {
    descriptor = -1;
    return isOneName(name, reason) &&
           windows::createForWriting(pathOf(name), library, descriptor, reason);
}

bool Folder::createTemporaryFor(const std::string& name, int& descriptor,
                                std::string& temporaryName, std::string& reason) const {
    descriptor = -1;
    if (!isOneName(name, reason) ||
        !windows::createTemporaryFor(pathOf(name), descriptor, temporaryName, reason))
        return false;
    temporaryName.erase(0, pathOf("").size());
    return true;
}

bool Folder::rename(const std::string& from, const std::string& to, std::string& reason) const {
    return isOneName(from, reason) && isOneName(to, reason) &&
           windows::replaceFile(pathOf(from), pathOf(to), reason);
}

bool Folder::remove(const std::string& name, std::string& reason) const {
    return isOneName(name, reason) && windows::removeFile(pathOf(name), reason);
}

ItemStatus Folder::look(const std::string& name) const {
    std::string ignored;
    if (!isOneName(name, ignored)) return ItemStatus{ItemKind::Other, {}};
    const HANDLE handle = CreateFileW(
        widePath(pathOf(name)).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD failure = GetLastError();
        const bool missing = failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND;
        return ItemStatus{missing ? ItemKind::Missing : ItemKind::Other, {}};
    }
    const ItemStatus status = statusOf(handle);
    CloseHandle(handle);
    return status;
}

bool Folder::read(const std::string& name, std::uint64_t limit, std::string& bytes,
                  std::string& reason) const {
    return isOneName(name, reason) && readSmallFile(pathOf(name), limit, bytes, reason);
}

// By path, as the rest: only an open folder, lest a path left empty list the current one.
bool Folder::list(std::vector<FolderItem>& items, std::string& reason) const {
    if (!isOpen()) {
        reason = "is not open";
        return false;
    }
    return listFolder(path_.empty() ? "." : path_, items, reason);
}

bool FileComparer::holds(const Folder& folder, const std::string& name, const std::string& bytes,
                         FileIdentity& identity) {
    std::string ignored;
    identity = FileIdentity{};
    return folder.isOneName(name, ignored) && holds(folder.pathOf(name), bytes, identity);
}

bool FolderLock::take(const Folder& folder, bool wait, bool& busy, std::string& reason) {
    busy = false;
    if (!folder.isOpen()) {
        reason = "is not open";
        return false;
    }
    return take(folder.path().empty() ? "." : folder.path(), wait, busy, reason);
}

void letFailedWritesReturn() {}  // Windows has no signals for failed writes

}  // namespace lorvex::platform

#endif  // ifdef _WIN32
