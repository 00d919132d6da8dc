// Real libraries written by the environment itself, read where they are:
// the suite is skipped when the shared corpus folder is not beside the project.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kCorpus = std::string(LORVEX_SOURCE_DIR) + "/../shared/corpus/";

class Corpus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(kCorpus + "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus;
    }
};

struct Known {
    const char* path;
    int entries;
};

const Known kLibraries[] = {
    {"zzia615__WNS-Powerbuilder/wnsservice/wnsservice.pbl", 24},
    {"macchen__simple_jxc/br.pbl", 0},
    {"macchen__simple_jxc/navigation.pbl", 0},
    {"macchen__simple_jxc/operator.pbl", 0},
    {"macchen__simple_jxc/report.pbl", 0},
    {"macchen__simple_jxc/main.pbl", 29},
    {"macchen__simple_jxc/base_lib.pbl", 16},
    {"macchen__simple_jxc/bd.pbl", 8},
    {"macchen__simple_jxc/ui.pbl", 4},
    {"macchen__simple_jxc/sale_pos.pbl", 2},
    {"macchen__simple_jxc/simple_jxc.pbl", 2},
    {"macchen__simple_jxc/base_lib.pbd", 7},
    {"cornelioroyer__abaco-librerias/dw2xls.pbl", 108},
    {"thansuoi113__Coolmenu-In-PowerBuilder/coolmenu-v9.pbl", 36},
    {"thansuoi113__PowerBuilder-Code-Examples/clntapp.exe", 1},
};

std::string totalLine(int entries) {
    return "--\nTotal objects: " + std::to_string(entries) + "\n";
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(Corpus, SingleByteLibrariesListWithTheirEntryCounts) {
    for (const Known& library : kLibraries) {
        const RunResult result = runLorvex({"-v", kCorpus + library.path});
        EXPECT_EQ(result.exitCode, 0) << library.path;
        EXPECT_TRUE(endsWith(result.output, totalLine(library.entries))) << library.path;
    }
}

TEST_F(Corpus, ExecutableIsReadThroughItsTrailer) {
    const RunResult result =
        runLorvex({"-v", kCorpus + "thansuoi113__PowerBuilder-Code-Examples/clntapp.exe"});
    EXPECT_NE(result.output.find("\nPCODE\\ob.exe "), std::string::npos) << result.output;
}

// Display names of a listing, read back from its lines.
std::vector<std::string> listedNames(const std::string& listing) {
    std::vector<std::string> names;
    std::size_t at = listing.find("--\n") + 3;
    for (std::size_t end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = listing.substr(at, end - at);
        if (line == "--") break;
        std::string name = line.substr(0, std::max<std::size_t>(50, line.size() - 29));
        name.erase(name.find_last_not_of(' ') + 1);
        names.push_back(name);
    }
    return names;
}

TEST_F(Corpus, EveryEntryExtractsAllAtOnceAndByName) {
    for (const Known& library : kLibraries) {
        ScopedTempDir dir;
        const std::string path = kCorpus + library.path;
        EXPECT_EQ(runLorvex({"-e", path}).exitCode, 0) << library.path;
        std::vector<std::string> arguments{"-e", path};
        for (const std::string& name : listedNames(runLorvex({"-v", path}).output))
            arguments.push_back(name);
        EXPECT_EQ(arguments.size() - 2, static_cast<std::size_t>(library.entries)) << library.path;
        const RunResult named = runLorvex(arguments);
        EXPECT_EQ(named.exitCode, 0) << library.path;
        EXPECT_EQ(std::count(named.output.begin(), named.output.end(), '\n'), library.entries)
            << library.path;
    }
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST_F(Corpus, SourcesMatchTheEnvironmentsOwnExports) {
    const std::string exports = kCorpus + "zzia615__WNS-Powerbuilder/wnsservice_pbl/";
    ScopedTempDir dir;
    int compared = 0;
    for (const std::string& name : filesIn(exports)) {
        const RunResult result = runLorvex(
            {"-e", kCorpus + "zzia615__WNS-Powerbuilder/wnsservice/wnsservice.pbl", name});
        EXPECT_EQ(result.output, "Extracting \"" + name + "\"\n");
        EXPECT_EQ(withoutCarriageReturns(readFile(name)),
                  withoutCarriageReturns(readFile(exports + name)))
            << name;
        ++compared;
    }
    EXPECT_EQ(compared, 11);
}

}  // namespace
}  // namespace lorvex::testing
