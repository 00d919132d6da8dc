#include "cli/CommandLine.h"

#include <string>
#include <vector>

#include "cli/Version.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"

namespace lorvex {

namespace {

void printUsage(std::FILE* console) {
    std::fputs("Lorvex " LORVEX_VERSION " - lists and extracts the entries of library files\n",
               console);
    std::fputs(
        "USAGE: lorvex <switch> <library_file> [library_entries ...]\n Switches are: \n"
        "\t-v\tlist entries\n\t-e\textract entries\n",
        console);
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, std::FILE* console) {
    if (argc < 3) {
        printUsage(console);
        return kExitUsage;
    }
    const char* command = argv[1];
    const bool list = equalsIgnoringCase(command, "-v");
    const bool extract = equalsIgnoringCase(command, "-e");
    if (!list && !extract) {
        std::fprintf(console, "Unknown command line switch: %s\n", command);
        return kExitUnknownSwitch;
    }
    LibraryReader reader;
    reader.setConsole(console);
    if (!reader.open(argv[2], false)) {
        std::fputs("File open error or wrong format!\n", console);
        return kExitOpenError;
    }
    if (list) {
        reader.listEntries();
        reader.close();
        return kExitDone;
    }
    const std::vector<std::string> names(argv + 3, argv + argc);
    const bool extracted = reader.extractEntries(names);
    reader.close();
    return extracted ? kExitDone : kExitExportFailed;
}

}  // namespace lorvex
