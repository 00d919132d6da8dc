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

}  // namespace lorvex
