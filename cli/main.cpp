#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    const int code = lorvex::runCommandLine(argc, argv, stdout, stderr);
    // Output that never reached standard output is a failure too.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) != 0) && code == lorvex::kExitDone) {
        std::fprintf(stderr, "lorvex: standard output: cannot write: %s\n", std::strerror(errno));
        return lorvex::kExitExportFailed;
    }
    return code;
}
