#include "cli/SyncOptions.h"

#include "platform/Platform.h"

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

bool parseCodePage(const std::string& text, unsigned& codePage) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    codePage = static_cast<unsigned>(std::stoul(text));
    return codePage > 0 && platform::codePageAvailable(codePage);
}

}  // namespace

bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                      std::string& problem) {
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
        } else if (takeValue(arguments, i, "--output", "-o", value, missing)) {
            if (missing || value.empty()) return false;
            options.output = value;
        } else if (takeValue(arguments, i, "--encoding", nullptr, value, missing)) {
            if (value == "utf8") {
                options.encoding = SourceEncoding::Utf8;
            } else if (value == "hexascii") {
                options.encoding = SourceEncoding::HexAscii;
            } else if (value == "native") {
                options.encoding = SourceEncoding::Native;
            } else {
                return false;
            }
        } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
            if (!parseCodePage(value, options.codePage)) return false;
        } else {
            return false;
        }
        if (missing) return false;
    }
    return true;
}

}  // namespace lorvex
