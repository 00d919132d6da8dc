// Writes the seed corpus: small valid libraries of every shape the builder makes.
#include <cstdio>
#include <string>

#include "examples/SampleLibrary.h"

using namespace lorvex::testing;

namespace {

LibrarySpec shapes(int which) {
    LibrarySpec spec;
    spec.nodeBlockSize = 256;
    spec.nodes.resize(1);
    switch (which) {
        case 0: break;  // an empty root
        case 1: spec.nodes[0].entries = {entry("a.srw", "text\r\n"), entry("a.bin", "BIN!")}; break;
        case 2: {
            EntrySpec source = entry("u.sru", std::string(700, 's'));
            source.commentLength = 5;
            spec.nodes[0].entries = {entry("u.bin", std::string(2100, 'b')), source};
            break;
        }
        case 3:
            spec.nodes.resize(3);
            spec.nodes[0].left = 1;
            spec.nodes[0].right = 2;
            spec.nodes[0].entries = {entry("root.win", "r")};
            spec.nodes[1].entries = {entry("C:\\img\\x.bmp", "BM")};
            spec.nodes[2].entries = {entry("d.srd", "dw")};
            break;
        case 4:
            spec.trailer = true;
            spec.headerOffset = 512;
            spec.nodes[0].entries = {entry("exe.win", "code")};
            break;
        case 5: {
            spec.unicode = true;
            EntrySpec source = entry("w.srw", "");
            source.data = utf16Le("abcX\r\n");
            source.commentLength = 3;
            spec.nodes[0].entries = {source, entry("w.bin", "BIN!"), entry("\xC3\xA7.win", "c")};
            break;
        }
        default: {
            EntrySpec empty = entry("e.srw", "");
            empty.noBlocks = true;
            empty.commentLength = 2;
            spec.nodes[0].entries = {empty, entry("z.srw", std::string("a\0b\0", 4))};
            spec.nodes[0].entries[1].blockSizes = {2, 2};
            break;
        }
    }
    return spec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_seeds <directory>\n", stderr);
        return 1;
    }
    const std::string dir = argv[1];
    for (int which = 0; which <= 6; ++which) {
        if (!buildLibrary(shapes(which)).writeTo(dir + "/shape" + std::to_string(which) + ".pbl")) return 1;
    }
    LibrarySpec sample = sampleLibrary();
    sample.nodeBlockSize = 256;
    return buildLibrary(sample).writeTo(dir + "/sample.pbl") ? 0 : 1;
}
