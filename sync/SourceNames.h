#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// Whether a name shows as it is in a message or a listing: without a control
// character or (utf8: the name is UTF-8) a character that turns the direction
// of text. reason says why not.
[[nodiscard]] bool isShownAsIs(const std::string& name, bool utf8, std::string& reason);

// Whether a name is safe as the name of one file under the output
// folder: not "." or "..", without a separator or a colon, shown as it is,
// and stored by the file system as it is. reason says why not.
[[nodiscard]] bool isSafeName(const std::string& name, bool utf8, std::string& reason);

// Whether a file name is that of an export: "*.sr?", any letter case.
bool isExportName(const std::string& name);

// Whether a file of this name, and the temporary file written before it, fit
// in a folder whose names may be longest units long (platform::longestName).
// reason says why not.
[[nodiscard]] bool fitsNameLimits(std::size_t longest, const std::string& name,
                                  std::string& reason);

}  // namespace lorvex
