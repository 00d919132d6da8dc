#include <gtest/gtest.h>

#include "examples/SampleLibrary.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kUsageTail =
    "USAGE: lorvex <switch> <library_file> [library_entries ...]\n Switches are: \n"
    "\t-v\tlist entries\n\t-e\textract entries\n";
const std::string kOpenError = "File open error or wrong format!\n";

void expectUsage(const RunResult& result) {
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.output.rfind("Lorvex 1.0.5", 0), 0U) << result.output;
    const std::size_t bannerEnd = result.output.find('\n');
    EXPECT_EQ(result.output.substr(bannerEnd + 1), kUsageTail);
}

TEST(CommandLine, TooFewArgumentsPrintBannerAndUsage) {
    expectUsage(runLorvex({}));
    expectUsage(runLorvex({"-v"}));
    expectUsage(runLorvex({"-x"}));  // even an unknown switch alone
}

TEST(CommandLine, UnknownSwitchIsNamedAndNothingIsOpened) {
    const RunResult result = runLorvex({"-x", "/nonexistent/library.pbl"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.output, "Unknown command line switch: -x\n");
    EXPECT_EQ(runLorvex({"--v", "x"}).output, "Unknown command line switch: --v\n");
}

TEST(CommandLine, FilesThatAreNotLibrariesGiveTheOpenError) {
    ScopedTempDir dir;
    writeFile("seven", "HDR*abc");
    writeFile("short", "HDR*" + std::string(300, '\0'));  // shorter than 512, header at 0
    writeFile("noheader", std::string(4096, 'x'));
    BuiltLibrary pastEnd = buildLibrary(LibraryLayout{{NodeLayout{}}, false, true, 0});
    pastEnd.put32(pastEnd.bytes.size() - 512 + 4, 1U << 30);
    ASSERT_TRUE(pastEnd.writeTo("trailer-past-end"));
    for (const char* path : {"/nonexistent/x.pbl", "seven", "noheader", "trailer-past-end", "."}) {
        for (const char* command : {"-v", "-e"}) {
            const RunResult result = runLorvex({command, path});
            EXPECT_EQ(result.exitCode, 2) << path;
            EXPECT_EQ(result.output, kOpenError) << path;
        }
    }
    // A file shorter than 512 bytes is probed at its start and opens.
    EXPECT_EQ(runLorvex({"-v", "short"}).exitCode, 2);  // its root node lies past the end
}

TEST(CommandLine, SwitchesIgnoreCase) {
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(sampleLibrary()).writeTo("sample.pbl"));
    const RunResult lower = runLorvex({"-v", "sample.pbl"});
    const RunResult upper = runLorvex({"-V", "sample.pbl", "ignored"});
    EXPECT_EQ(lower.exitCode, 0);
    EXPECT_EQ(upper.exitCode, 0);
    EXPECT_EQ(lower.output, upper.output);
    EXPECT_EQ(runLorvex({"-E", "sample.pbl", "nothing-by-this-name"}).exitCode, 0);
}

TEST(CommandLine, RealBinaryExitCodesAndOutput) {
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(sampleLibrary()).writeTo("sample.pbl"));
    EXPECT_EQ(runLorvexBinary("").exitCode, 1);
    EXPECT_EQ(runLorvexBinary("-x missing").output, "Unknown command line switch: -x\n");
    EXPECT_EQ(runLorvexBinary("-x missing").exitCode, 3);
    EXPECT_EQ(runLorvexBinary("-v missing").exitCode, 2);
    const RunResult listing = runLorvexBinary("-v sample.pbl");
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_EQ(listing.output, runLorvex({"-v", "sample.pbl"}).output);
}

}  // namespace
}  // namespace lorvex::testing
