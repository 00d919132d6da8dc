#include "cli/PrintOptions.h"

#include "cli/OptionValue.h"

namespace lorvex {

bool parsePrintOptions(const std::vector<std::string>& arguments, PrintOptions& options,
                       std::string& problem, std::string& reason) {
    std::vector<std::string> files;
    const bool read = readOptions(
        arguments, files, problem, reason,
        [&](std::size_t& i, std::string& why) {
            std::string value;
            bool missing = false;
            if (!takeValue(arguments, i, "--codepage", nullptr, value, missing)) return false;
            if (!parseCodePage(value, options.codePage)) why = kCodePageValues;
            if (missing) why = "needs a value";
            return true;
        },
        /*firstFileEndsOptions=*/true);
    if (!files.empty()) {
        options.library = files.front();
        options.names.assign(files.begin() + 1, files.end());
    }
    return read;
}

}  // namespace lorvex
