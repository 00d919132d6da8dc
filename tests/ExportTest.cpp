// Whole export files, compared byte for byte with the export format.
#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kHeader = "$PBExportHeader$";

std::string zeroGroups(std::size_t count) {
    std::string groups;
    for (std::size_t i = 0; i < count; ++i) groups += "00000000";
    return groups;
}

std::string sectionOpening(char tag, const std::string& bin, std::uint32_t size,
                           std::uint32_t time) {
    return "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0" +
           std::string(1, tag) + bin + " " + std::to_string(size) + " " + std::to_string(time) +
           "\r\n";
}

std::string sectionClosing(char tag, const std::string& bin, std::uint32_t size,
                           std::uint32_t time) {
    return "1" + std::string(1, tag) + bin + " " + std::to_string(size) + " " +
           std::to_string(time) +
           "\r\nEnd of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n";
}

// Builds a one-node library from entries, writes it and runs the command line in a fresh directory.
class ExportFiles : public ::testing::Test {
protected:
    RunResult extract(const std::vector<EntryLayout>& entries, std::vector<std::string> names) {
        LibraryLayout layout;
        layout.nodes.resize(1);
        layout.nodes[0].entries = entries;
        EXPECT_TRUE(buildLibrary(layout).writeTo("lib.pbl"));
        names.insert(names.begin(), {"-e", "lib.pbl"});
        return runLorvex(names);
    }
    ScopedTempDir dir_;
};

TEST_F(ExportFiles, SourceGetsHeaderAndOptionalCommentsLine) {
    EntryLayout plain = entry("w_main.srw", "0123456789\r\n");
    EXPECT_EQ(extract({plain}, {"w_main.srw"}).output, "Extracting \"w_main.srw\"\n");
    EXPECT_EQ(readFile("w_main.srw"), kHeader + "w_main.srw\r\n0123456789\r\n");

    EntryLayout commented = plain;
    commented.commentLength = 5;
    EXPECT_EQ(extract({commented}, {}).exitCode, 0);
    EXPECT_EQ(readFile("w_main.srw"),
              kHeader + "w_main.srw\r\n$PBExportComments$01234\r\n56789\r\n");
}

TEST_F(ExportFiles, MultiBlockContentFollowsTheChain) {
    std::string content;
    for (int i = 0; i < 300; ++i) content += static_cast<char>('a' + i % 26);
    EntryLayout source = entry("big.srw", content + content);  // 600 bytes
    source.blockSizes = {20, 502, 78};
    source.commentLength = 3;
    EXPECT_EQ(extract({source}, {}).exitCode, 0);
    const std::string all = content + content;
    EXPECT_EQ(readFile("big.srw"), kHeader + "big.srw\r\n$PBExportComments$" + all.substr(0, 3) +
                                       "\r\n" + all.substr(3));
}

TEST_F(ExportFiles, CompiledObjectsAndResourcesAreRawWithoutComment) {
    EntryLayout compiled = entry("w_main.win", std::string("\x00\x01Xraw\r\n\xff", 9));
    compiled.commentLength = 3;
    EntryLayout resource = entry("C:\\img\\logo.bmp", "BMimage");
    EntryLayout slashed = entry("icons/app.ico", "ICO");
    EntryLayout colon = entry("c:logo.gif", "GIF89a");
    EXPECT_EQ(extract({compiled, resource, slashed, colon}, {}).exitCode, 0);
    EXPECT_EQ(readFile("w_main.win"), std::string("raw\r\n\xff", 6));
    EXPECT_EQ(readFile("logo.bmp"), "BMimage");
    EXPECT_EQ(readFile("app.ico"), "ICO");
    EXPECT_EQ(readFile("c:logo.gif"), "GIF89a");
    EXPECT_EQ(filesIn("."), (std::vector<std::string>{"app.ico", "c:logo.gif", "lib.pbl",
                                                      "logo.bmp", "w_main.win"}));
}

TEST_F(ExportFiles, EntriesWithoutDataBlocks) {
    EntryLayout source = entry("a.srw", "ignored");
    source.noBlocks = true;
    source.commentLength = 4;
    EntryLayout compiled = entry("a.win", "ignored");
    compiled.noBlocks = true;
    EXPECT_EQ(extract({source, compiled}, {}).exitCode, 0);
    EXPECT_EQ(readFile("a.srw"), kHeader + "a.srw\r\n$PBExportComments$");
    EXPECT_EQ(readFile("a.win"), "");
}

TEST_F(ExportFiles, CompanionOfFourBytesGivesOneZeroFilledRow) {
    EntryLayout source = entry("w_main.srw", "text");
    EntryLayout companion = entry("w_main.bin", std::string("\x01\x02\x03\x04", 4), 7);
    EXPECT_EQ(extract({source, companion}, {"w_main.srw"}).exitCode, 0);
    EXPECT_EQ(readFile("w_main.srw"),
              kHeader + "w_main.srw\r\ntext" + sectionOpening('7', "w_main.bin", 4, 7) + "20" +
                  "04030201" + zeroGroups(498) + "\r\n" + sectionClosing('7', "w_main.bin", 4, 7));
}

TEST_F(ExportFiles, RowsHoldExactly499GroupsWhateverTheCompanionSize) {
    for (std::size_t size : {1996U, 1997U, 5000U}) {
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + 1);
        EntryLayout companion = entry("u_bar.bin", data, 4000000000U);
        EXPECT_EQ(extract({companion, entry("u_bar.sru", "")}, {"u_bar.sru"}).exitCode, 0);
        std::string rows;
        for (std::size_t row = 0; row * 1996 < size; ++row) {
            rows += "20";
            for (std::size_t group = 0; group < 499; ++group) {
                char word[9];
                unsigned bytes[4];
                for (std::size_t b = 0; b < 4; ++b) {
                    const std::size_t at = row * 1996 + group * 4 + b;
                    bytes[b] = at < size ? static_cast<unsigned char>(data[at]) : 0;
                }
                std::snprintf(word, sizeof word, "%02x%02x%02x%02x", bytes[3], bytes[2], bytes[1],
                              bytes[0]);
                rows += word;
            }
            rows += "\r\n";
        }
        const auto s = static_cast<std::uint32_t>(size);
        EXPECT_EQ(readFile("u_bar.sru"),
                  kHeader + "u_bar.sru\r\n" + sectionOpening('4', "u_bar.bin", s, 4000000000U) +
                      rows + sectionClosing('4', "u_bar.bin", s, 4000000000U))
            << size;
    }
}

TEST_F(ExportFiles, ZeroLastByteOfABlockBecomesASpaceOnlyWithACompanion) {
    EntryLayout source = entry("w.srw", std::string("ab\0cd\0ef\0", 9));
    source.blockSizes = {3, 3, 3};
    source.commentLength = 3;  // the first block's zero belongs to the comment
    EntryLayout companion = entry("w.bin", "BIN!");
    EXPECT_EQ(extract({source, companion}, {"w.srw"}).exitCode, 0);
    EXPECT_EQ(readFile("w.srw"), kHeader + "w.srw\r\n$PBExportComments$" + std::string("ab\0", 3) +
                                     "\r\ncd ef " + sectionOpening('7', "w.bin", 4, 0) + "20" +
                                     "214e4942" + zeroGroups(498) + "\r\n" +
                                     sectionClosing('7', "w.bin", 4, 0));
    EXPECT_EQ(extract({source}, {"w.srw"}).exitCode, 0);
    EXPECT_EQ(readFile("w.srw"),
              kHeader + "w.srw\r\n$PBExportComments$" + std::string("ab\0\r\ncd\0ef\0", 11));
}

TEST_F(ExportFiles, LaterExportOfTheSameOutputNameReplacesTheEarlier) {
    EXPECT_EQ(
        extract({entry("a\\x.txt", "first, longer"), entry("b\\x.txt", "second")}, {}).exitCode, 0);
    EXPECT_EQ(readFile("x.txt"), "second");
}

TEST_F(ExportFiles, UnwritableOutputStopsTheExtraction) {
    // A resource ending in a separator has an empty output name.
    EXPECT_EQ(extract({entry("C:\\dir\\", "x"), entry("after.win", "y")}, {}).exitCode, 4);
    EXPECT_FALSE(fileExists("after.win"));

    ASSERT_EQ(mkdir("taken.win", 0755), 0);
    const RunResult result =
        extract({entry("first.win", "1"), entry("taken.win", "2"), entry("third.win", "3")},
                {"PCODE\\first.win", "PCODE\\taken.win", "PCODE\\third.win"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.output, "Extracting \"PCODE\\first.win\"\nExtracting \"PCODE\\taken.win\"\n");
    EXPECT_EQ(readFile("first.win"), "1");
    EXPECT_FALSE(fileExists("third.win"));
}

TEST_F(ExportFiles, FailedWriteIsAFailure) {
    ASSERT_EQ(symlink("/dev/full", "full.win"), 0);
    const RunResult result = extract({entry("full.win", "data")}, {"PCODE\\full.win"});
    EXPECT_EQ(result.exitCode, 4);
}

TEST_F(ExportFiles, TheLibraryItselfIsNeverOverwritten) {
    const RunResult byName = extract({entry("lib.pbl", "evil"), entry("z.win", "z")}, {});
    EXPECT_EQ(byName.exitCode, 4);
    EXPECT_FALSE(fileExists("z.win"));
    ASSERT_EQ(symlink("lib.pbl", "alias.win"), 0);
    EXPECT_EQ(extract({entry("alias.win", "evil")}, {"PCODE\\alias.win"}).exitCode, 4);
    EXPECT_EQ(runLorvex({"-v", "lib.pbl"}).exitCode, 0);
    EXPECT_NE(readFile("lib.pbl").find("HDR*"), std::string::npos);
    EXPECT_GT(readFile("lib.pbl").size(), 1024U);
}

}  // namespace
}  // namespace lorvex::testing
