#include <gtest/gtest.h>

#include "examples/SampleLibrary.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kSamplePath = std::string(LORVEX_SOURCE_DIR) + "/examples/sample.pbl";

TEST(Sample, CommittedFileIsWhatTheGeneratorMakes) {
    EXPECT_TRUE(readFile(kSamplePath) == text(buildLibrary(sampleLibrary()).bytes))
        << "regenerate with: make_sample examples/sample.pbl";
}

TEST(Sample, ListsEveryEntryAcrossItsNodes) {
    ScopedTimeZone zone("UTC");
    const RunResult result = runLorvex({"-v", kSamplePath});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find("\nw_main.srw                                        000001337 "
                                 "18.06.2004 11:01:00\n"),
              std::string::npos);
    EXPECT_NE(
        result.output.find("\nRESOURCES\\C:\\inventory\\img\\logo.bmp               000001078 "),
        std::string::npos);
    EXPECT_NE(result.output.find("\n--\nTotal objects: 16\n"), std::string::npos);
}

}  // namespace
}  // namespace lorvex::testing
