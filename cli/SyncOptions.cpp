#include "cli/SyncOptions.h"

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
        if (!equalsIgnoringCase(text.c_str(), known.name)) continue;
        encoding = known.encoding;
        return true;
    }
    return false;
}

bool parseLineEnds(const std::string& text, LineEnds& lineEnds) {
    const bool lf = equalsIgnoringCase(text.c_str(), "lf");
    if (!lf && !equalsIgnoringCase(text.c_str(), "crlf")) return false;
    lineEnds = lf ? LineEnds::Lf : LineEnds::CrLf;
    return true;
}

}  // namespace

bool parseSyncOptions(const std::vector<std::string>& arguments, SyncOptions& options,
                      OptionProblem& problem) {
    const std::vector<Option> known{
        flag("--prune", [&] { options.prune = true; }),
        flag("--check", [&] { options.dryRun = true; }),
        flag("--object-lists", [&] { options.objectLists = ObjectLists::Always; }),
        flag("--no-object-lists", [&] { options.objectLists = ObjectLists::Never; }),
        outputOption(options.output),
        Option{"--encoding", nullptr, Option::Kind::WithValue, "takes utf8, hexascii or native",
               [&](const std::string& value) {
                   options.encodingGiven = true;
                   return parseEncoding(value, options.encoding);
               }},
        codePageOption(options.codePage),
        Option{"--eol", nullptr, Option::Kind::WithValue, "takes lf or crlf",
               [&](const std::string& value) { return parseLineEnds(value, options.lineEnds); }}};
    if (!readArguments(arguments, known, OptionsAfterFiles::Taken, UnknownOptions::AreErrors,
                       options.libraries, problem))
        return false;
    // git converts the line ends of text files, never those of UTF-16 files.
    if (options.lineEnds != LineEnds::Lf || options.encoding != SourceEncoding::Native) return true;
    problem = {OptionProblem::Kind::BadValue, "--eol=lf",
               "does not go with --encoding=native: its files keep their line ends as stored"};
    return false;
}

}  // namespace lorvex
