#include "cli/ScriptListingOptions.h"

namespace lorvex {

bool parseScriptListingOptions(const std::vector<std::string>& arguments,
                               ScriptListingOptions& options, OptionProblem& problem) {
    return readArguments(
        arguments, {flag("--json", [&] { options.json = true; }), codePageOption(options.codePage)},
        OptionsAfterFiles::Taken, UnknownOptions::AreErrors, options.libraries, problem);
}

}  // namespace lorvex
