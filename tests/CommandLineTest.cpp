// The command line, its exit codes and messages, and the listing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "examples/SampleLibrary.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

TEST(CommandLine, ExitCodesAndMessages) {
    const std::string usage =
        "USAGE: lorvex <switch> <library_file> [library_entries ...]\n"
        " Switches are: \n\t-v\tlist entries\n\t-e\textract entries\n";
    const std::string openError = "File open error or wrong format!\n";
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(sampleLibrary()).writeTo("sample.pbl"));
    BuiltLibrary seven = buildLibrary(oneNode({}));
    seven.bytes.resize(7);  // too short for the trailer probe
    BuiltLibrary rootless = buildLibrary(oneNode({}));
    rootless.bytes.resize(600);  // the root node lies past the end
    LibraryLayout behind = oneNode({});
    behind.headerOffset = 512;
    BuiltLibrary farHeader = buildLibrary(behind);
    farHeader.put32(farHeader.bytes.size() - 508, 1U << 30);
    ASSERT_TRUE(seven.writeTo("seven") && rootless.writeTo("rootless") && farHeader.writeTo("far"));
    const std::string listing = runLorvex({"-v", "sample.pbl"}).output;
    EXPECT_EQ(listing.substr(listing.size() - 19), "\nTotal objects: 16\n");
    const std::pair<std::vector<std::string>, RunResult> cases[] = {
        {{}, {1, usage}},
        {{"-v"}, {1, usage}},
        {{"-x"}, {1, usage}},
        {{"-x", "/nonexistent/lib.pbl"}, {3, "Unknown command line switch: -x\n"}},
        {{"--v", "sample.pbl"}, {3, "Unknown command line switch: --v\n"}},
        {{"-V", "sample.pbl", "ignored"}, {0, listing}},
        {{"-E", "sample.pbl", "nothing-by-this-name"}, {0, ""}},
        {{"-v", "/nonexistent/lib.pbl"}, {2, openError}},
        {{"-e", "seven"}, {2, openError}},
        {{"-v", "rootless"}, {2, openError}},
        {{"-e", "far"}, {2, openError}},
        {{"-v", "."}, {2, openError}},
    };
    for (const auto& [arguments, expected] : cases) {
        RunResult result = runLorvex(arguments);
        if (expected.exitCode == 1 && result.output.rfind("Lorvex 1.0.5", 0) == 0)
            result.output.erase(0, result.output.find('\n') + 1);  // the banner
        EXPECT_EQ(result.exitCode, expected.exitCode) << arguments.size();
        EXPECT_EQ(result.output, expected.output) << arguments.size();
    }
    // The real binary, with standard output that cannot be written and with
    // export files that cannot grow past 512 bytes.
    auto binary = [](const std::string& command) {
        RunResult result;
        std::FILE* pipe = popen(("trap '' XFSZ; " + command).c_str(), "r");
        for (int c; (c = std::fgetc(pipe)) != EOF;) result.output += static_cast<char>(c);
        const int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    };
    const std::string lorvex = LORVEX_BINARY;
    EXPECT_EQ(binary(lorvex + " -x missing").output, "Unknown command line switch: -x\n");
    EXPECT_EQ(binary(lorvex + " -v sample.pbl").output, listing);
    EXPECT_EQ(binary(lorvex + " -v sample.pbl >/dev/full").exitCode, 4);
    EXPECT_EQ(binary("ulimit -f 1; " + lorvex + " -e sample.pbl").exitCode, 4);
    EXPECT_EQ(binary(lorvex + " -e sample.pbl").exitCode, 0);
    EXPECT_TRUE(readFile(std::string(LORVEX_SOURCE_DIR) + "/examples/sample.pbl") ==
                readFile("sample.pbl"))
        << "regenerate with: make_sample examples/sample.pbl";
}

std::string listingOf(const std::vector<EntryLayout>& entries) {
    ScopedTempDir dir;
    return runOn(buildLibrary(oneNode(entries)), "-v").output;
}

TEST(Listing, LinesAreByteExact) {
    setTimeZone("UTC");
    EntryLayout commented = entry("app.sra", std::string(40, 'y'), 1087556400);
    commented.commentLength = 4;
    EXPECT_EQ(
        listingOf({entry("w_main.srw", std::string(100, 'x')), commented,
                   entry("w_main.win", std::string(77, 'z'), 951782400),
                   entry("C:\\img\\logo.bmp", "BM", 1),
                   entry(std::string(48, 'w') + ".srw", "", 59), entry("first", "", 0x80000000U),
                   entry("last", "", 0xFFFFFFFFU)}),
        "Listing entries...\n--\n"
        "w_main.srw                                        000000128 01.01.1970 00:00:00\n"
        "app.sra                                           000000085 18.06.2004 11:00:00\n"
        "PCODE\\w_main.win                                  000000077 29.02.2000 00:00:00\n"
        "RESOURCES\\C:\\img\\logo.bmp                         000000002 01.01.1970 00:00:01\n" +
            std::string(48, 'w') +
            ".srw000000070 01.01.1970 00:00:59\n"
            "PCODE\\first                                       000000000 19.01.2038 03:14:08\n"
            "PCODE\\last                                        000000000 07.02.2106 06:28:15\n"
            "--\nTotal objects: 7\n");
    EXPECT_EQ(listingOf({}), "Listing entries...\n--\n--\nTotal objects: 0\n");
}

}  // namespace
}  // namespace lorvex::testing
