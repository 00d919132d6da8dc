#pragma once

// What the Windows sources of platform/ share; nothing else includes it.

#include <windows.h>

#include <string>

#include "platform/Platform.h"

namespace lorvex::platform::windows {

// A path as Windows takes it: from UTF-8 when it is valid UTF-8, else from
// the ANSI code page.
std::wstring widePath(const std::string& path);
// Why a call failed, as the system says it.
bool failed(std::string& reason, DWORD code = GetLastError());
// Windows has no inode numbers in stat; a handle knows volume and file index.
FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information);
// Creates path, or empties it, for writing, as Folder::createForWriting says.
[[nodiscard]] bool createForWriting(const std::string& path, const FileIdentity& library,
                                    int& descriptor, std::string& reason);

// By path, what Folder does by name in it: a temporary file beside path,
// renaming, removing.
[[nodiscard]] bool createTemporaryFor(const std::string& path, int& descriptor,
                                      std::string& temporaryPath, std::string& reason);
[[nodiscard]] bool replaceFile(const std::string& from, const std::string& to, std::string& reason);
[[nodiscard]] bool removeFile(const std::string& path, std::string& reason);

}  // namespace lorvex::platform::windows
