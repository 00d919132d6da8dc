// Writes the seed corpus: small valid libraries of every shape the builder makes.
#include <cstdio>
#include <string>

#include "examples/SampleLibrary.h"

using namespace lorvex::testing;

namespace {

LibraryLayout shapes(int which) {
    LibraryLayout layout;
    layout.nodeBlockSize = 256;
    layout.nodes.resize(1);
    switch (which) {
        case 0:
            break;  // an empty root
        case 1:
            layout.nodes[0].entries = {entry("a.srw", "text\r\n"), entry("a.bin", "BIN!")};
            break;
        case 2: {
            EntryLayout source = entry("u.sru", std::string(700, 's'));
            source.commentLength = 5;
            layout.nodes[0].entries = {entry("u.bin", std::string(2100, 'b')), source};
            break;
        }
        case 3:
            layout.nodes.resize(3);
            layout.nodes[0].left = 1;
            layout.nodes[0].right = 2;
            layout.nodes[0].entries = {entry("root.win", "r")};
            layout.nodes[1].entries = {entry("C:\\img\\x.bmp", "BM")};
            layout.nodes[2].entries = {entry("d.srd", "dw")};
            break;
        case 4:
            layout.trailer = true;
            layout.headerOffset = 512;
            layout.nodes[0].entries = {entry("exe.win", "code")};
            break;
        case 5: {
            layout.unicode = true;
            EntryLayout source = entry("w.srw", "");
            source.data = utf16Le("abcX\r\n");
            source.commentLength = 3;
            layout.nodes[0].entries = {source, entry("w.bin", "BIN!"), entry("\xC3\xA7.win", "c")};
            break;
        }
        default: {
            EntryLayout empty = entry("e.srw", "");
            empty.noBlocks = true;
            empty.commentLength = 2;
            layout.nodes[0].entries = {empty, entry("z.srw", std::string("a\0b\0", 4))};
            layout.nodes[0].entries[1].blockSizes = {2, 2};
            break;
        }
    }
    return layout;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_seeds <directory>\n", stderr);
        return 1;
    }
    const std::string dir = argv[1];
    for (int which = 0; which <= 6; ++which) {
        if (!buildLibrary(shapes(which)).writeTo(dir + "/shape" + std::to_string(which) + ".pbl"))
            return 1;
    }
    LibraryLayout sample = sampleLibrary();
    sample.nodeBlockSize = 256;
    return buildLibrary(sample).writeTo(dir + "/sample.pbl") ? 0 : 1;
}
