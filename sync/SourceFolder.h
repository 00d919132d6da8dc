#pragma once

#include <string>

namespace lorvex {

// Where the sources of a library go under the output folder: the library's
// path made relative to the current folder, with "." and ".." resolved as
// text, then ".src". Leading parts that climb above the current folder, a
// root and a drive are dropped, as archivers do with member names, so
// "lib/app.pbl" gives "lib/app.pbl.src" and "../shared/pfc.pbl" gives
// "shared/pfc.pbl.src". Empty when nothing is left to name a folder by.
std::string sourceFolderOf(const std::string& libraryPath, const std::string& currentFolder);

// Creates the folders of relative (parts separated by "/") under root, one
// by one. False, with reason naming the part, when a part is not a plain
// folder (a link, a file) or cannot be created; with create unset nothing is
// created, and exists tells whether the whole path is there.
[[nodiscard]] bool makePlainFolders(const std::string& root, const std::string& relative,
                                    bool create, bool& exists, std::string& reason);

}  // namespace lorvex
