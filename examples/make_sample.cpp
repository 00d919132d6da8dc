// Writes the sample library: make_sample <path>.
#include <cstdio>

#include "examples/SampleLibrary.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sample <path>\n", stderr);
        return 1;
    }
    return lorvex::testing::buildLibrary(lorvex::testing::sampleLibrary()).writeTo(argv[1]) ? 0 : 1;
}
