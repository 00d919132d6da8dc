#pragma once

// A folder held open for as long as it is written into, and what is done to
// the names in it. On POSIX systems every operation goes through the handle
// (openat and its kin), and folders below the one the user names are opened
// without following links: a folder renamed or swapped for a link during a
// run takes nothing outside, whatever lands lands in the folder opened, or
// nowhere. Windows has no such calls: there each folder is held open without
// sharing deletion, so that it cannot be renamed, removed or replaced while
// held, a folder below the one the user names that is a link or junction is
// refused, and operations go by the folder's path joined with the name.
// Every name is one name in the folder: a name holding a separator is refused.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lorvex::platform {

// What is at a name, a link not followed; Other is a pipe, a device, or
// anything that cannot be looked at.
enum class ItemKind { Missing, PlainFile, Folder, Link, Other };
struct ItemStatus {
    ItemKind kind = ItemKind::Missing;
    FileIdentity identity;  // known for everything there
};

class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // Opens the folder at path (the current folder when empty) as given: a
    // link the user names is followed.
    [[nodiscard]] bool open(const std::string& path, std::string& reason);
    // Opens the folder name in this one into child; a link, or anything but
    // a folder, is refused.
    [[nodiscard]] bool openFolder(const std::string& name, Folder& child,
                                  std::string& reason) const;
    // Makes the folder name in this one unless a folder is there already,
    // made by anyone at any moment, and opens it as openFolder does.
    [[nodiscard]] bool makeFolder(const std::string& name, Folder& child,
                                  std::string& reason) const;

    bool isOpen() const { return handle_ != -1; }
    // The path it was opened by, with the names of the folders below: for messages.
    const std::string& path() const { return path_; }
    // name joined to path(), with one separator; name alone when path() is empty.
    std::string pathOf(const std::string& name) const;
    FileIdentity identity() const;

    // Creates name, or empties it when it exists, for writing. Refuses the
    // library itself, a link (or other reparse point), a file with other hard
    // links, and on Windows a name the file system takes for something else;
    // a pipe without reader fails at once.
    [[nodiscard]] bool createForWriting(const std::string& name, const FileIdentity& library,
                                        int& descriptor, std::string& reason) const;
    // A new file beside name under the temporary form of platform::temporaryName,
    // created only if new; temporaryName is its name in this folder.
    [[nodiscard]] bool createTemporaryFor(const std::string& name, int& descriptor,
                                          std::string& temporaryName, std::string& reason) const;
    // Renames from to to, both in this folder, replacing a file at to (a link
    // there is replaced, never followed).
    [[nodiscard]] bool rename(const std::string& from, const std::string& to,
                              std::string& reason) const;
    // Removes the file or link name; a folder stays.
    [[nodiscard]] bool remove(const std::string& name, std::string& reason) const;
    ItemStatus look(const std::string& name) const;
    // The whole of the plain file name (a link is not followed), unless it
    // holds more than limit bytes; false, with reason, otherwise.
    [[nodiscard]] bool read(const std::string& name, std::uint64_t limit, std::string& bytes,
                            std::string& reason) const;
    // Every name in the folder, "." and ".." among them on POSIX systems.
    [[nodiscard]] bool list(std::vector<FolderItem>& items, std::string& reason) const;

private:
    friend class FileComparer;
    friend class FolderLock;

    // Whether this folder is open and name is one name in it: no separator;
    // for a folder also not empty, "." or "..".
    bool isOneName(const std::string& name, std::string& reason) const;
    bool isFolderName(const std::string& name, std::string& reason) const;

    std::intptr_t handle_ = -1;  // a descriptor on POSIX systems, a HANDLE on Windows
    std::string path_;
};

// Whether names in the folder that differ in letter case name one file,
// told without its own name or inode numbers: always on Windows; elsewhere,
// when mayWrite, by creating a file of the temporary form and looking it up
// in the other letter case; otherwise (or when it cannot be created) by
// looking up an entry whose name has letters in the other case. A folder
// without such an entry tells case apart. A dry run whose folder is missing
// passes the nearest folder above it that exists.
[[nodiscard]] bool folderIgnoresCase(const Folder& folder, bool mayWrite);

// The answer a run goes by: the folder's own, or the one a test gives for
// every folder in place of a mount that ignores case.
struct CaseProbe {
    std::optional<bool> given;
    [[nodiscard]] bool ignoresCase(const Folder& folder, bool mayWrite) const {
        return given ? *given : folderIgnoresCase(folder, mayWrite);
    }
};

}  // namespace lorvex::platform
