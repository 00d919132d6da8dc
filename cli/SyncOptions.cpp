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

bool parseLineEnds(const std::string& text, LineEnds& lineEnds) {
    const bool lf = equalsIgnoringCase(text.c_str(), "lf");
    if (!lf && !equalsIgnoringCase(text.c_str(), "crlf")) return false;
    lineEnds = lf ? LineEnds::Lf : LineEnds::CrLf;
    return true;
}

// git converts the line ends of text files, never those of UTF-16 files.
bool lineEndsFitEncoding(const SyncOptions& options, std::string& problem, std::string& reason) {
    if (options.lineEnds != LineEnds::Lf || options.encoding != SourceEncoding::Native) return true;
    problem = "--eol=lf";
    reason = "does not go with --encoding=native: its files keep their line ends as stored";
    return false;
}

}  // namespace

bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                      std::string& problem, std::string& reason) {
    return readOptions(
               arguments, options.libraries, problem, reason,
               [&](std::size_t& i, std::string& why) {
                   const std::string& argument = arguments[i];
                   std::string value;
                   bool missing = false;
                   if (argument == "--prune") {
                       options.prune = true;
                   } else if (argument == "--check") {
                       options.dryRun = true;
                   } else if (argument == "--object-lists") {
                       options.objectLists = ObjectLists::Always;
                   } else if (argument == "--no-object-lists") {
                       options.objectLists = ObjectLists::Never;
                   } else if (takeValue(arguments, i, "--output", "-o", value, missing)) {
                       options.output = value;
                       if (value.empty()) why = "takes the folder to write into";
                   } else if (takeValue(arguments, i, "--encoding", nullptr, value, missing)) {
                       options.encodingGiven = true;
                       if (!parseEncoding(value, options.encoding))
                           why = "takes utf8, hexascii or native";
                   } else if (takeValue(arguments, i, "--codepage", nullptr, value, missing)) {
                       if (!parseCodePage(value, options.codePage)) why = kCodePageValues;
                   } else if (takeValue(arguments, i, "--eol", nullptr, value, missing)) {
                       if (!parseLineEnds(value, options.lineEnds)) why = "takes lf or crlf";
                   } else {
                       return false;
                   }
                   if (missing) why = "needs a value";
                   return true;
               }) &&
           lineEndsFitEncoding(options, problem, reason);
}

}  // namespace lorvex
