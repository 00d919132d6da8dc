// Writes the libraries the end-to-end tests of the Windows build use into the
// folder given: names Windows takes for something else, text in two code
// pages, Unicode names, and two names the system takes for one file.
#include <cstdio>
#include <string>

#include "tests/support/LibraryBuilder.h"

int main(int argc, char** argv) {
    using namespace lorvex::testing;
    if (argc != 2) {
        std::fputs("usage: make_fixtures <folder>\n", stderr);
        return 1;
    }
    std::vector<EntryLayout> names;
    for (const char* name : {"c:evil.gif", "a:b", "x.gif.", "y.gif ", "nul.srw", "CON", "aux.gif",
                             "prn", "Com1", "lpt9.txt"})
        names.push_back(entry(name, "x"));
    const std::pair<const char*, LibraryLayout> fixtures[] = {
        {"names.pbl", oneNode(names)},
        {"cp1252.pbl", oneNode({entry("a.srw", "\xE7\xE3o \xE9 um\r\n"), entry("b.sru", "x"),
                                entry("b.bin", "BIN!")})},
        {"cp936.pbl", oneNode({entry("\xD6\xD0.srw", "\xD6\xD0\xCE\xC4\r\n")})},
        {"unicode.pbl", oneNode({entry("\xC3\xA7\xE4\xB8\xAD.srw", wide("x"))}, true)},
        {"cases.pbl",
         oneNode({entry("\xC3\x84.srw", wide("1")), entry("\xC3\xA4.srw", wide("2"))}, true)}};
    for (const auto& [name, layout] : fixtures) {
        if (!buildLibrary(layout).writeTo(std::string(argv[1]) + "/" + name)) {
            std::fprintf(stderr, "make_fixtures: cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
