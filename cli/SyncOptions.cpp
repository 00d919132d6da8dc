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
    return readOptions(
        arguments, options.libraries, problem, reason, [&](std::size_t& i, std::string& why) {
            const std::string& argument = arguments[i];
            std::string value;
            bool missing = false;
            if (argument == "--prune") {
                options.prune = true;
            } else if (argument == "--check") {
                options.dryRun = true;
            } else if (takeValue(arguments, i, "--output", "-o", value, missing)) {
                options.output = value;
                if (value.empty()) why = "takes the folder to write into";
            } else if (takeValue(arguments, i, "--encoding", nullptr, value, missing)) {
                options.encodingGiven = true;
                if (!parseEncoding(value, options.encoding)) why = "takes utf8, hexascii or native";
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
