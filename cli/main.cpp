#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/CommandLine.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    // A command whose job is its files finishes them all, and says what failed.
    if (lorvex::writesFiles(argc, argv)) lorvex::platform::letFailedWritesReturn();
    const int code = lorvex::runCommandLine(argc, argv, stdout, stderr);
    // Output that never reached standard output is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "lorvex: standard output: cannot write: %s\n", std::strerror(errno));
        return std::max<int>(code, lorvex::kExitExportFailed);
    }
    return code;
}
