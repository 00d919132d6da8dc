#include <cstdio>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    const int code = lorvex::runCommandLine(argc, argv, stdout);
    // Output that never reached standard output is a failure too.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) != 0) && code == lorvex::kExitDone)
        return lorvex::kExitExportFailed;
    return code;
}
