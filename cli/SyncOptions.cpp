#include "cli/SyncOptions.h"

#include "cli/OptionValue.h"
#include "library/EntryNames.h"

namespace lorvex {

namespace {

// An encoding by any of its names, in any letter case.
bool parseEncoding(const std::string& text, SourceEncoding& encoding) {
    const struct {
        const char* name;
        SourceEncoding encoding;
    } kNames[] = {{"utf8", SourceEncoding::Utf8},
                  {"utf-8", SourceEncoding::Utf8},
                  {"hexascii", SourceEncoding::HexAscii},
                  {"native", SourceEncoding::Native}};
    for (const auto& known : kNames) {
        if (equalsIgnoringCase(text.c_str(), known.name)) return (encoding = known.encoding, true);
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
            options.encodingGiven = true;
            if (!parseEncoding(value, options.encoding)) reason = "takes utf8, hexascii or native";
        } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
            if (!parseCodePage(value, options.codePage)) reason = kCodePageValues;
        } else {
            return false;  // an unknown option, with reason empty
        }
        if (missing) reason = "needs a value";
        if (!reason.empty()) return false;
    }
    return true;
}

}  // namespace lorvex
