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

// Walks the arguments of a command: one that does not start with "-" (and
// every one after "--") is a file; any other is an option, which
// takeOption(i, reason) reads (moving i past a value it takes, and saying in
// reason what is wrong with that value) and returns false when it does not
// know it. False, with the argument in problem, for an unknown option (reason
// then empty) or a value it cannot take. With firstFileEndsOptions, every
// argument after the first file is a file too.
template <typename TakeOption>
[[nodiscard]] bool readOptions(const std::vector<std::string>& arguments,
                               std::vector<std::string>& files, std::string& problem,
                               std::string& reason, TakeOption takeOption,
                               bool firstFileEndsOptions = false) {
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        problem = argument;
        if (onlyFiles || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
            onlyFiles = onlyFiles || firstFileEndsOptions;
        } else if (argument == "--") {
            onlyFiles = true;
        } else if (!takeOption(i, reason) || !reason.empty()) {
            return false;
        }
    }
    return true;
}

// One of the supported code pages, as digits, that this system converts.
[[nodiscard]] bool parseCodePage(const std::string& text, unsigned& codePage);
inline constexpr const char* kCodePageValues =
    "takes one of the code pages 874, 932, 936, 949, 950 and 1250 to 1258";

}  // namespace lorvex
