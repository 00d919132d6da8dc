#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lorvex {

// Whether arguments[i] is the option name, as "--name=value" or "--name
// value", or as its short form ("-o value" or "-ovalue"); value is then set
// and i moved past it. missing says that the value should have followed as
// the next argument but there is none.
[[nodiscard]] bool takeValue(const std::vector<std::string>& arguments, std::size_t& i,
                             const std::string& name, const char* shortName, std::string& value,
                             bool& missing);

// One of the supported code pages, as digits, that this system converts.
[[nodiscard]] bool parseCodePage(const std::string& text, unsigned& codePage);
inline constexpr const char* kCodePageValues =
    "takes one of the code pages 874, 932, 936, 949, 950 and 1250 to 1258";

}  // namespace lorvex
