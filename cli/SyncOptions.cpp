#include "cli/SyncOptions.h"

#include <algorithm>
#include <iterator>

#include "library/CodePage.h"

namespace lorvex {

namespace {

// Sets value when argument is "--name=value", or "--name" (or its short form)
// followed by the value as the next argument.
bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               const char* shortName, std::string& value, bool& missing) {
    const std::string& argument = arguments[i];
    if (argument.compare(0, name.size() + 1, name + "=") == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    if (argument != name && (shortName == nullptr || argument != shortName)) return false;
    missing = i + 1 >= arguments.size();
    if (!missing) value = arguments[++i];
    return true;
}

// One of the supported code pages, as digits.
bool parseCodePage(const std::string& text, unsigned& codePage) {
    for (const unsigned number : kSupportedCodePages) {
        if (text != std::to_string(number)) continue;
        codePage = number;
        return CodePage(number).available();
    }
    return false;
}

}  // namespace

bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                      std::string& problem, std::string& reason) {
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        problem = argument;
        std::string value;
        bool missing = false;
        if (onlyFiles || argument.size() < 2 || argument[0] != '-') {
            options.libraries.push_back(argument);
        } else if (argument == "--") {
            onlyFiles = true;
        } else if (argument == "--prune") {
            options.prune = true;
        } else if (argument == "--check") {
            options.dryRun = true;
        } else if (takeValue(arguments, i, "--output", "-o", value, missing)) {
            options.output = value;
            if (value.empty()) reason = "takes the folder to write into";
        } else if (takeValue(arguments, i, "--encoding", nullptr, value, missing)) {
            const char* const kNames[] = {"utf8", "hexascii", "native"};
            const auto* found = std::find(std::begin(kNames), std::end(kNames), value);
            options.encoding = static_cast<SourceEncoding>(found - std::begin(kNames));
            options.encodingGiven = true;
            if (found == std::end(kNames)) reason = "takes utf8, hexascii or native";
        } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
            if (!parseCodePage(value, options.codePage))
                reason = "takes one of the code pages 874, 932, 936, 949, 950 and 1250 to 1258";
        } else {
            return false;  // an unknown option, with reason empty
        }
        if (missing) reason = "needs a value";
        if (!reason.empty()) return false;
    }
    return true;
}

}  // namespace lorvex
