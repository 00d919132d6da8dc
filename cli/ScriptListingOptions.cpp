#include "cli/ScriptListingOptions.h"

#include "cli/OptionValue.h"

namespace lorvex {

bool parseScriptListingOptions(const std::vector<std::string>& arguments,
                               ScriptListingOptions& options, std::string& problem,
                               std::string& reason) {
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
        } else if (argument == "--json") {
            options.json = true;
        } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
            if (missing) reason = "needs a value";
            if (!missing && !parseCodePage(value, options.codePage)) reason = kCodePageValues;
            if (!reason.empty()) return false;
        } else {
            return false;  // an unknown option, with reason empty
        }
    }
    return true;
}

}  // namespace lorvex
