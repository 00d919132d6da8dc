// The libFuzzer target: every command on each input, in a scratch folder made
// once in the folder the fuzzer runs in; a bound broken aborts.
#include <cstdlib>

#include "fuzz/EveryCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string scratch = [] {
        std::string path = std::filesystem::current_path().string() + "/lorvex-scratch-XXXXXX";
        if (path.front() != '/' || mkdtemp(path.data()) == nullptr) std::abort();
        return path;
    }();
    const std::string problem = lorvex::fuzz::runEveryCommand(
        std::string(reinterpret_cast<const char*>(data), size), scratch);
    if (!problem.empty()) std::fprintf(stderr, "lorvex fuzz: %s\n", problem.c_str());
    if (!problem.empty()) std::abort();
    return 0;
}
