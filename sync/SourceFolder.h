#pragma once

#include <string>
#include <vector>

#include "platform/Folder.h"

namespace lorvex {

// Where the sources of a library go under the output folder: the library's
// path made relative to the current folder, with "." and ".." resolved as
// text, then ".src". Leading parts that climb above the current folder, a
// root and a drive are dropped, as archivers do with member names, so
// "lib/app.pbl" gives "lib/app.pbl.src" and "../shared/pfc.pbl" gives
// "shared/pfc.pbl.src". Empty when nothing is left to name a folder by.
std::string sourceFolderOf(const std::string& libraryPath, const std::string& currentFolder);

// The output folder joined with a path under it, with one separator.
std::string underOutput(const std::string& output, const std::string& relative);

// Opens the folders of relative (parts separated by "/") under root, one by
// one and without following links, each made first when missing if create
// is set; chain holds each folder opened, which stays open with it. False,
// with reason naming the part, when a part is not a plain folder (a link, a
// file), cannot be made or opened, or has a name the file system does not
// store as it is. Without create nothing is made, and exists tells whether
// the whole path is there; chain then ends at the deepest part that is.
[[nodiscard]] bool openFolders(const platform::Folder& root, const std::string& relative,
                               bool create, std::vector<platform::Folder>& chain, bool& exists,
                               std::string& reason);

}  // namespace lorvex
