#include "cli/Usage.h"

#include "cli/Version.h"

namespace lorvex {

namespace {
constexpr char kBanner[] =
    "Lorvex " LORVEX_VERSION " - lists and extracts the entries of library files\n";
}  // namespace

void printUsage(std::FILE* out) {
    std::fputs(kBanner, out);
    std::fputs(
        "USAGE: lorvex <switch> <library_file> [library_entries ...]\n Switches are: \n"
        "\t-v\tlist entries\n\t-e\textract entries\n"
        "\t-t\tcheck entries\n\t-s\texport the sources of libraries into folders (see lorvex(1))\n",
        out);
}

void printHelp(std::FILE* out) {
    std::fputs(kBanner, out);
    // The build leaves out the pointer to the manual page where there is none.
    std::fputs(
        "Usage: lorvex <switch> ...\n"
        "  -v LIB                             list the entries\n"
        "  -l [--json] [--codepage=N] LIB...  list the entries for scripts: TSV or JSON\n"
        "  -e [-o DIR] LIB [NAME...]          extract entries: all, or by name or pattern\n"
        "  -t LIB...                          check libraries, writing nothing\n"
        "  -s [OPTIONS] LIB_TARGET_OR_WS...   export sources into folders of text files\n"
        "  -p [--codepage=N] LIB [NAME...]    print the sources as one text, for diffs\n"
        "  -h, --help                         show this help\n"
        "  --version                          show the version\n"
        "Options of -s:\n"
        "  -o DIR, --output=DIR  where the folders go (default: the current directory)\n"
        "  --encoding=NAME       utf8 (the default; also utf-8), hexascii or native\n"
        "  --codepage=N          874, 932, 936, 949, 950, 1250-1258: of single-byte text\n"
        "  --eol=crlf|lf         line ends of the files: CR LF (the default) or LF\n"
        "  --object-lists        write each library folder's object list (<name>.pbg)\n"
        "  --no-object-lists     write none (default: as the folders already there do)\n"
        "  --prune               also remove the files of sources no longer in a library\n"
        "  --check               write nothing; print each file a run would change\n"
        "  --                    end of options: the arguments after it are files\n"
        "Switches ignore letter case; options take --name=value or --name value.\n"
        "Exit codes: 0 done, 1 usage, 2 a library could not be opened, 3 unknown switch\n"
        "or option, 4 an export failed or a library is damaged, 5 --check found "
        "changes.\n" LORVEX_MANUAL_HINT,
        out);
}

void printVersion(std::FILE* out) {
    std::fputs("lorvex " LORVEX_VERSION "\n", out);
}

}  // namespace lorvex
