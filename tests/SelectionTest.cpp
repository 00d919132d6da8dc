// Which entries a named extraction picks, and with which companion.
#include <gtest/gtest.h>

#include <map>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

bool hasSection(const std::string& file) {
    return file.find("Start of PowerBuilder Binary Data Section") != std::string::npos;
}

class Selection : public ::testing::Test {
protected:
    RunResult extract(const std::vector<EntryLayout>& entries, std::vector<std::string> names) {
        LibraryLayout layout;
        layout.nodes.resize(2);
        layout.nodes[0].right = 1;
        // Spread the entries over two nodes so passes cross a node boundary.
        const std::size_t half = entries.size() / 2;
        layout.nodes[0].entries.assign(entries.begin(),
                                       entries.begin() + static_cast<std::ptrdiff_t>(half));
        layout.nodes[1].entries.assign(entries.begin() + static_cast<std::ptrdiff_t>(half),
                                       entries.end());
        EXPECT_TRUE(buildLibrary(layout).writeTo("lib.pbl"));
        names.insert(names.begin(), {"-e", "lib.pbl"});
        return runLorvex(names);
    }
    ScopedTempDir dir_;
};

TEST_F(Selection, AllEntriesWithoutLinesOrSections) {
    const std::vector<EntryLayout> entries{entry("w_main.srw", "src"), entry("w_main.bin", "BIN!")};
    for (const std::vector<std::string>& names :
         {std::vector<std::string>{}, {"*.*"}, {"*.*", "w_main.srw"}}) {
        const RunResult result = extract(entries, names);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(readFile("w_main.srw"), "$PBExportHeader$w_main.srw\r\nsrc");
        EXPECT_EQ(readFile("w_main.bin"), "BIN!");
    }
    // "*.*" after the first name is an ordinary name, found nowhere.
    unlink("w_main.bin");
    EXPECT_EQ(extract(entries, {"w_main.srw", "*.*"}).output, "Extracting \"w_main.srw\"\n");
    EXPECT_FALSE(fileExists("w_main.bin"));
}

TEST_F(Selection, CompanionIsFoundBeforeOrAfterItsSource) {
    const EntryLayout source = entry("w_main.srw", "src");
    const EntryLayout companion = entry("w_main.bin", "BIN!", 9);
    for (const std::vector<EntryLayout>& order :
         {std::vector<EntryLayout>{source, entry("x", ""), companion},
          {companion, entry("x", ""), source}}) {
        EXPECT_EQ(extract(order, {"w_main.srw"}).output, "Extracting \"w_main.srw\"\n");
        EXPECT_TRUE(hasSection(readFile("w_main.srw")));
        EXPECT_NE(readFile("w_main.srw").find("07w_main.bin 4 9\r\n"), std::string::npos);
    }
}

TEST_F(Selection, CompanionWithoutDataCountsOnlyAfterTheSource) {
    EntryLayout empty = entry("w_main.bin", "");
    empty.noBlocks = true;
    // Before the source, a companion without data is passed over for a later one.
    extract({empty, entry("w_main.srw", "src"), entry("w_main.bin", "LATE", 5)}, {"w_main.srw"});
    EXPECT_NE(readFile("w_main.srw").find("07w_main.bin 4 5\r\n"), std::string::npos);
    // After the source, the first companion ends the search, even without data.
    extract({entry("w_main.srw", "src"), empty, entry("w_main.bin", "LATE", 5)}, {"w_main.srw"});
    EXPECT_EQ(readFile("w_main.srw"), "$PBExportHeader$w_main.srw\r\nsrc");
    // A companion with data before the source wins over later ones.
    extract({entry("w_main.bin", "ONE!", 1), entry("w_main.srw", "src"),
             entry("w_main.bin", "TWO!", 2)},
            {"w_main.srw"});
    EXPECT_NE(readFile("w_main.srw").find("07w_main.bin 4 1\r\n"), std::string::npos);
}

TEST_F(Selection, NamesIgnoreCaseButPairingNeedsTheExactEnding) {
    const std::vector<EntryLayout> stored{entry("W_MAIN.SRU", "src"), entry("W_MAIN.BIN", "BIN!")};
    EXPECT_EQ(extract(stored, {"w_main.sru"}).output, "Extracting \"W_MAIN.SRU\"\n");
    const std::string paired = readFile("W_MAIN.SRU");
    EXPECT_NE(paired.find("07W_MAIN.bin 4 0\r\n"), std::string::npos) << paired;
    EXPECT_EQ(paired.rfind("$PBExportHeader$W_MAIN.SRU\r\nsrc", 0), 0U);

    EXPECT_EQ(extract(stored, {"W_MAIN.SRU"}).output, "Extracting \"W_MAIN.SRU\"\n");
    EXPECT_FALSE(hasSection(readFile("W_MAIN.SRU")));
}

TEST_F(Selection, FirstMatchWinsAndRepeatsExportAgain) {
    const std::vector<EntryLayout> entries{entry("dup.srw", "first"), entry("x", ""),
                                           entry("DUP.srw", "second")};
    const RunResult result = extract(entries, {"dup.srw", "DUP.SRW"});
    EXPECT_EQ(result.output, "Extracting \"dup.srw\"\nExtracting \"dup.srw\"\n");
    EXPECT_EQ(readFile("dup.srw"), "$PBExportHeader$dup.srw\r\nfirst");
}

TEST_F(Selection, PrefixedNamesAndNamesNotFound) {
    const std::vector<EntryLayout> entries{entry("w_main.win", "code"),
                                           entry("C:\\app\\x.srw", "res")};
    const RunResult result = extract(
        entries, {"w_main.win", "PCODE\\w_main.win", "missing", "RESOURCES\\c:\\app\\x.srw"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output,
              "Extracting \"PCODE\\w_main.win\"\nExtracting \"RESOURCES\\C:\\app\\x.srw\"\n");
    EXPECT_EQ(readFile("w_main.win"), "code");
    EXPECT_EQ(readFile("x.srw"), "res");  // a resource: raw, no header, no section
}

TEST_F(Selection, LongRequestsFindNothing) {
    const std::string longName(150, 'a');
    EXPECT_EQ(extract({entry("a.srw", "x")}, {longName + ".srw", longName}).output, "");
}

TEST_F(Selection, ManyNamesInOneRunMatchOneRunEach) {
    std::vector<EntryLayout> entries;
    for (int i = 0; i < 40; ++i) {
        const std::string n = "obj" + std::to_string(i);
        entries.push_back(entry(n + ".srw", "source " + n));
        if (i % 3 == 0)
            entries.push_back(entry(n + ".bin", "bin " + n, static_cast<std::uint32_t>(i)));
        entries.push_back(entry(n + ".win", "code " + n));
    }
    const std::vector<std::string> names{"obj7.srw",  "PCODE\\obj3.bin", "nope",
                                         "OBJ9.SRW",  "obj9.srw",        "PCODE\\obj12.win",
                                         "obj12.srw", "obj7.srw",        "obj39.srw"};
    const RunResult together = extract(entries, names);
    std::map<std::string, std::string> files;
    for (const std::string& name : filesIn(".")) files[name] = readFile(name);

    std::string separateOutput;
    for (const std::string& name : names) {
        for (const std::string& file : filesIn(".")) unlink(file.c_str());
        const RunResult one = extract(entries, {name});
        EXPECT_EQ(one.exitCode, 0);
        separateOutput += one.output;
        for (const std::string& file : filesIn(".")) {
            if (file != "lib.pbl") files["one:" + file] = readFile(file);
        }
    }
    EXPECT_EQ(together.exitCode, 0);
    EXPECT_EQ(together.output, separateOutput);
    for (const auto& [name, content] : files) {
        if (name.rfind("one:", 0) == 0) {
            // Later runs of the same output name replace earlier ones, as within one run.
            EXPECT_EQ(files[name.substr(4)], content) << name;
        }
    }
}

}  // namespace
}  // namespace lorvex::testing
