// Real libraries written by the environment itself, read where they are:
// skipped when the shared corpus folder is not beside the project.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

std::vector<std::string> listedNames(const std::string& path) {
    std::vector<std::string> names;
    LibraryReader reader;
    if (!reader.open(path.c_str(), false) || !reader.rewind()) return names;
    while (reader.next()) names.emplace_back(reader.current().displayName);
    return names;
}

TEST(Corpus, SingleByteLibrariesListAndExtractEveryEntry) {
    SKIP_WITHOUT_CORPUS();
    const std::string jxc = "macchen__simple_jxc/";
    const std::pair<std::string, int> libraries[] = {
        {"zzia615__WNS-Powerbuilder/wnsservice/wnsservice.pbl", 24},
        {jxc + "br.pbl", 0},
        {jxc + "navigation.pbl", 0},
        {jxc + "operator.pbl", 0},
        {jxc + "report.pbl", 0},
        {jxc + "main.pbl", 29},
        {jxc + "base_lib.pbl", 16},
        {jxc + "bd.pbl", 8},
        {jxc + "ui.pbl", 4},
        {jxc + "sale_pos.pbl", 2},
        {jxc + "simple_jxc.pbl", 2},
        {jxc + "base_lib.pbd", 7},
        {"cornelioroyer__abaco-librerias/dw2xls.pbl", 108},
        {"thansuoi113__Coolmenu-In-PowerBuilder/coolmenu-v9.pbl", 36},
        {"thansuoi113__PowerBuilder-Code-Examples/clntapp.exe", 1},  // behind a program
    };
    for (const auto& [library, count] : libraries) {
        ScopedTempDir dir;
        const std::string path = kCorpus + library;
        const std::string listing = runLorvex({"-v", path}).output;
        std::vector<std::string> arguments{"-e", path};
        for (const std::string& name : listedNames(path)) arguments.push_back(name);
        EXPECT_EQ(arguments.size(), static_cast<std::size_t>(count) + 2) << library;
        EXPECT_NE(listing.find("--\nTotal objects: " + std::to_string(count) + "\n"),
                  std::string::npos);
        EXPECT_EQ(runLorvex({"-e", path}).exitCode, 0) << library;
        const RunResult named = runLorvex(arguments);
        EXPECT_EQ(named.exitCode, 0) << library;
        EXPECT_EQ(std::count(named.output.begin(), named.output.end(), '\n'), count) << library;
    }
}

TEST(Corpus, SourcesMatchTheEnvironmentsOwnExports) {
    SKIP_WITHOUT_CORPUS();
    const std::string folder = kCorpus + "zzia615__WNS-Powerbuilder/";
    ScopedTempDir dir;
    std::vector<std::string> arguments{"-e", folder + "wnsservice/wnsservice.pbl"};
    for (const std::string& name : filesIn(folder + "wnsservice_pbl")) arguments.push_back(name);
    EXPECT_EQ(runLorvex(arguments).exitCode, 0);
    EXPECT_EQ(arguments.size(), 13U);
    auto withoutCarriageReturns = [](std::string text) {
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    };
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        EXPECT_EQ(withoutCarriageReturns(readFile(arguments[i])),
                  withoutCarriageReturns(readFile(folder + "wnsservice_pbl/" + arguments[i])));
    }
}

TEST(Corpus, UnicodeEraLibraries) {
    SKIP_WITHOUT_CORPUS();
    ScopedTempDir dir;
    const std::string korean = kCorpus + "ChaeWoongbin__PowerBuilder/main-unicode.pbl";
    const std::string listing = runLorvex({"-v", korean}).output;
    EXPECT_EQ(listing.substr(listing.size() - 18), "\nTotal objects: 6\n");
    EXPECT_EQ(runLorvex({"-e", korean, "w_main.srw"}).exitCode, 0);
    const std::string window = readFile("w_main.srw");
    EXPECT_EQ(window.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(window.find(wide("07w_main.bin 2564 ")), std::string::npos);
    EXPECT_NE(window.find("\x80\xac\xc9\xc0"), std::string::npos);  // "search" in Korean
    // The same application in both generations: the sources not edited between
    // them are the same text, ASCII widened to UTF-16.
    const std::string folder = kCorpus + "thansuoi113__Coolmenu-In-PowerBuilder/coolmenu-v";
    ASSERT_EQ(mkdir("v9", 0755) | mkdir("v10", 0755) | chdir("v9"), 0);
    EXPECT_EQ(runLorvex({"-e", folder + "9.pbl"}).exitCode, 0);
    ASSERT_EQ(chdir("../v10"), 0);
    EXPECT_EQ(runLorvex({"-e", folder + "10-unicode.pbl"}).exitCode, 0);
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_EQ(filesIn("v9"), filesIn("v10"));
    int same = 0;
    for (const std::string& name : filesIn("v9"))
        same += name.find(".sr") != std::string::npos &&
                readFile("v10/" + name) == "\xFF\xFE" + wide(readFile("v9/" + name));
    EXPECT_EQ(same, 14);
}

}  // namespace
}  // namespace lorvex::testing
