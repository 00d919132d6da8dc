// Writes the seed libraries: the sample in both generations and behind a program.
#include <string>

#include "examples/SampleLibrary.h"

int main(int argc, char** argv) {
    using namespace lorvex::testing;
    if (argc != 2) return 1;
    LibraryLayout layout = sampleLibrary();
    layout.nodeBlockSize = 256;
    bool written = buildLibrary(layout).writeTo(std::string(argv[1]) + "/sample.pbl");
    layout.headerOffset = 512;
    written = written && buildLibrary(layout).writeTo(std::string(argv[1]) + "/sample.exe");
    layout.headerOffset = 0;
    layout.unicode = true;
    written = written && buildLibrary(layout).writeTo(std::string(argv[1]) + "/unicode.pbl");
    return written ? 0 : 1;
}
