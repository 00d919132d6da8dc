#include "cli/CommandLine.h"

#include <string>
#include <vector>

#include "check/CheckLibrary.h"
#include "cli/OptionParser.h"
#include "cli/PrintOptions.h"
#include "cli/ScriptListingOptions.h"
#include "cli/SyncOptions.h"
#include "cli/Usage.h"
#include "extract/ExtractEntries.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"
#include "listing/ListEntries.h"
#include "sync/SyncSources.h"
#include "text/Report.h"

namespace lorvex {

namespace {

// A first entry name that is itself a library suggests a shell wildcard meant
// for several libraries; only the first is read.
void hintAtSecondLibrary(const std::vector<std::string>& names, std::FILE* errors) {
    LibraryReader probe;
    std::string ignored;
    if (!names.empty() && names.front() != "*.*" && probe.open(names.front(), ignored)) {
        report(errors, "hint",
               names.front() +
                   " is a library too, but only one library is read per run: "
                   "the names after it are entry names");
    }
}

// An option that cannot be read: an unknown one as unknown switches always
// were, a value it does not take with the reason.
int optionError(const OptionProblem& problem, std::FILE* out, std::FILE* errors) {
    if (problem.kind == OptionProblem::Kind::UnknownOption) {
        std::fprintf(out, "Unknown command line switch: %s\n", problem.argument.c_str());
    } else {
        report(errors, problem.argument, problem.reason);
    }
    return kExitUnknownSwitch;
}

// Opens path for a command, or says on both streams why it cannot.
bool openLibrary(LibraryReader& reader, const std::string& path, const std::string& linePrefix,
                 std::FILE* out, std::FILE* errors) {
    std::string reason;
    if (reader.open(path, reason)) return true;
    std::fprintf(out, "%sFile open error or wrong format!\n", linePrefix.c_str());
    report(errors, path, reason);
    return false;
}

// "-t" on every library named; with several, each line of a library's report
// starts with its path.
Outcome checkLibraries(const std::vector<std::string>& paths, std::FILE* out, std::FILE* errors) {
    Outcome outcome;
    for (const std::string& path : paths) {
        const std::string prefix = paths.size() > 1 ? printable(path) + ": " : "";
        LibraryReader reader;
        if (!openLibrary(reader, path, prefix, out, errors)) {
            outcome.unopened = true;
        } else if (!checkLibrary(reader, path, prefix, out, errors)) {
            outcome.failed = true;
        }
    }
    return outcome;
}

// "-e [-o DIR] LIB [names...]": options come before the library, so every
// argument after it is an entry name; an argument in the library's place that
// is not an option of -e names the library.
int runExtraction(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* errors) {
    std::string folder;
    std::vector<std::string> files;
    OptionProblem problem;
    if (!readArguments(arguments, {outputOption(folder)}, OptionsAfterFiles::AreFiles,
                       UnknownOptions::AreFiles, files, problem))
        return optionError(problem, out, errors);
    if (files.empty()) {
        printUsage(out);
        return kExitUsage;
    }
    const std::string& library = files.front();
    LibraryReader reader;
    if (!openLibrary(reader, library, "", out, errors)) return kExitOpenError;
    const std::vector<std::string> names(files.begin() + 1, files.end());
    hintAtSecondLibrary(names, errors);
    return extractEntries(reader, library, names, folder, out, errors) ? kExitDone
                                                                       : kExitExportFailed;
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* errors) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" || equalsIgnoringCase(command.c_str(), "-h")) {
        printHelp(out);
        return kExitDone;
    }
    if (command == "--version") {
        printVersion(out);
        return kExitDone;
    }
    if (argc < 3) {
        printUsage(out);
        return kExitUsage;
    }
    const std::vector<std::string> rest(argv + 2, argv + argc);
    OptionProblem problem;
    if (equalsIgnoringCase(command.c_str(), "-s")) {
        SyncOptions options;
        if (!parseSyncOptions(rest, options, problem)) return optionError(problem, out, errors);
        if (options.libraries.empty()) {
            printUsage(out);
            return kExitUsage;
        }
        return exitCodeOf(syncSources(options, out, errors));
    }
    if (equalsIgnoringCase(command.c_str(), "-l")) {
        ScriptListingOptions options;
        if (!parseScriptListingOptions(rest, options, problem))
            return optionError(problem, out, errors);
        if (options.libraries.empty()) {
            printUsage(out);
            return kExitUsage;
        }
        return exitCodeOf(listForScripts(options, out, errors));
    }
    if (equalsIgnoringCase(command.c_str(), "-p")) {
        PrintOptions options;
        if (!parsePrintOptions(rest, options, problem)) return optionError(problem, out, errors);
        if (options.library.empty()) {
            printUsage(out);
            return kExitUsage;
        }
        return exitCodeOf(printSources(options, out, errors));
    }
    const bool list = equalsIgnoringCase(command.c_str(), "-v");
    const bool extract = equalsIgnoringCase(command.c_str(), "-e");
    const bool check = equalsIgnoringCase(command.c_str(), "-t");
    if (!list && !extract && !check) {
        std::fprintf(out, "Unknown command line switch: %s\n", command.c_str());
        return kExitUnknownSwitch;
    }
    if (check) return exitCodeOf(checkLibraries(rest, out, errors));
    if (extract) return runExtraction(rest, out, errors);
    LibraryReader reader;
    if (!openLibrary(reader, rest.front(), "", out, errors)) return kExitOpenError;
    listEntries(reader, out);
    return kExitDone;
}

bool writesFiles(int argc, const char* const* argv) {
    return argc > 1 && (equalsIgnoringCase(argv[1], "-s") || equalsIgnoringCase(argv[1], "-e"));
}

}  // namespace lorvex
