#include "cli/ScriptListingOptions.h"

#include "cli/OptionValue.h"

namespace lorvex {

bool parseScriptListingOptions(const std::vector<std::string>& arguments,
                               ScriptListingOptions& options, std::string& problem,
                               std::string& reason) {
    return readOptions(
        arguments, options.libraries, problem, reason, [&](std::size_t& i, std::string& why) {
            std::string value;
            bool missing = false;
            if (arguments[i] == "--json") {
                options.json = true;
            } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
                if (!parseCodePage(value, options.codePage)) why = kCodePageValues;
            } else {
                return false;
            }
            if (missing) why = "needs a value";
            return true;
        });
}

}  // namespace lorvex
