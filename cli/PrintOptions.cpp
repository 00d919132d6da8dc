#include "cli/PrintOptions.h"

namespace lorvex {

bool parsePrintOptions(const std::vector<std::string>& arguments, PrintOptions& options,
                       OptionProblem& problem) {
    std::vector<std::string> files;
    const bool read =
        readArguments(arguments, {codePageOption(options.codePage)}, OptionsAfterFiles::AreFiles,
                      UnknownOptions::AreErrors, files, problem);
    if (!files.empty()) {
        options.library = files.front();
        options.names.assign(files.begin() + 1, files.end());
    }
    return read;
}

}  // namespace lorvex
