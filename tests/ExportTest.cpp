// Export files byte for byte, and which entries an extraction picks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kHeader = "$PBExportHeader$";

EntryLayout with(EntryLayout e, std::uint16_t comment, std::vector<std::size_t> blocks = {}) {
    e.commentLength = comment;
    e.blockSizes = std::move(blocks);
    return e;
}

std::string repeat(const std::string& text, std::size_t times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}

TEST(Export, FilesFollowTheExportFormat) {
    std::string abc;
    for (int i = 0; i < 600; ++i) abc += static_cast<char>('a' + i % 26);
    const std::string big(150000, 's');
    const std::string z5 = "5a5a5a5a", x11 = "11111111";
    // 300,000 bytes: 150 full rows and one of 600 bytes.
    const std::string bigRows = repeat(row(repeat(z5, 499)), 150) + row(repeat(z5, 150));
    // clang-format off
    const ExtractCase cases[] = {
        {"plain source", {entry("w_main.srw", "0123456789\r\n")}, {"w_main.srw"},
         "Extracting \"w_main.srw\"\n", {{"w_main.srw", kHeader + "w_main.srw\r\n0123456789\r\n"}}},
        {"comment and a chain of blocks", {with(entry("big.srw", abc), 3, {20, 502, 78})}, {}, "",
         {{"big.srw", kHeader + "big.srw\r\n$PBExportComments$abc\r\n" + abc.substr(3)}}},
        {"compiled objects and resources are raw, without comment",
         {with(entry("w_main.win", std::string("\0\1Xraw\r\n\xff", 9)), 3),
          entry("C:\\img\\logo.bmp", "BM"), entry("icons/app.ico", "ICO"),
          entry("c:logo.gif", "GIF89a")}, {}, "",
         {{"w_main.win", "raw\r\n\xff"}, {"logo.bmp", "BM"}, {"app.ico", "ICO"},
          {"c:logo.gif", "GIF89a"}}},
        {"entries without data blocks", {with(entry("a.srw", ""), 4), entry("a.win", "")}, {}, "",
         {{"a.srw", kHeader + "a.srw\r\n$PBExportComments$"}, {"a.win", ""}}},
        {"companion of four bytes", {entry("w_main.srw", "text"), entry("w_main.bin", "\1\2\3\4", 7)},
         {"w_main.srw"}, "Extracting \"w_main.srw\"\n",
         {{"w_main.srw", kHeader + "w_main.srw\r\ntext" +
                             section('7', "w_main.bin", 4, 7, row("04030201"))}}},
        {"rows of 1996 bytes; tag 4 for sru",
         {entry("u.bin", std::string(1996, '\x11'), 4000000000U), entry("u.sru", ""),
          entry("v.sru", ""), entry("v.bin", std::string(1997, '\x11'))},
         {"u.sru", "v.sru"}, "Extracting \"u.sru\"\nExtracting \"v.sru\"\n",
         {{"u.sru", kHeader + "u.sru\r\n" + section('4', "u.bin", 1996, 4000000000U, row(repeat(x11, 499)))},
          {"v.sru", kHeader + "v.sru\r\n" +
                        section('4', "v.bin", 1997, 0, row(repeat(x11, 499)) + row("00000011"))}}},
        {"a zero last byte of a block is a space with a companion, outside the comment",
         {with(entry("w.srw", std::string("ab\0cd\0ef\0", 9)), 3, {3, 3, 3}), entry("w.bin", "BIN!"),
          with(entry("z.srw", std::string("ab\0cd\0", 6)), 0, {3, 3})},
         {"w.srw", "z.srw"}, "Extracting \"w.srw\"\nExtracting \"z.srw\"\n",
         {{"w.srw", kHeader + "w.srw\r\n$PBExportComments$" + std::string("ab\0\r\ncd ef ", 11) +
                        section('7', "w.bin", 4, 0, row("214e4942"))},
          {"z.srw", kHeader + "z.srw\r\n" + std::string("ab\0cd\0", 6)}}},
        {"exports larger than any buffer",
         {entry("big.srw", big), entry("big.bin", std::string(300000, 'Z')), entry("raw.win", big + "end")},
         {"big.srw", "PCODE\\raw.win"}, "Extracting \"big.srw\"\nExtracting \"PCODE\\raw.win\"\n",
         {{"big.srw", kHeader + "big.srw\r\n" + big + section('7', "big.bin", 300000, 0, bigRows)},
          {"raw.win", big + "end"}}},
        {"a later export of the same name replaces the earlier",
         {entry("a\\x.txt", "first"), entry("b\\x.txt", "")}, {}, "", {{"x.txt", ""}}},
        {"an empty output name stops the extraction", {entry("C:\\dir\\", "x"), entry("next.win", "y")},
         {}, "", {}, 4},
        {"the library itself is never written", {entry("lib.pbl", "evil"), entry("z.win", "z")}, {}, "",
         {}, 4},
    };
    // clang-format on
    for (const ExtractCase& c : cases) check(c);
}

TEST(Export, UnwritableFilesFailTheExtraction) {
    ScopedTempDir dir;
    BuiltLibrary library =
        buildLibrary(oneNode({entry("first.win", "1"), entry("taken.win", "2"), entry("alias.win", "")}));
    ASSERT_EQ(mkdir("taken.win", 0755) | symlink("lib.pbl", "alias.win"), 0);
    const RunResult blocked = runOn(library, "-e", {"PCODE\\first.win", "PCODE\\taken.win", "x"});
    EXPECT_EQ(blocked.exitCode, 4);
    EXPECT_EQ(blocked.output, "Extracting \"PCODE\\first.win\"\nExtracting \"PCODE\\taken.win\"\n");
    EXPECT_EQ(readFile("first.win"), "1");
    EXPECT_EQ(runOn(library, "-e", {"PCODE\\alias.win"}).exitCode, 4);
    EXPECT_TRUE(readFile("lib.pbl") == text(library.bytes));
}

TEST(Export, SelectionOfEntriesAndCompanions) {
    const std::string src = kHeader + "w_main.srw\r\nsrc";
    const std::string one = "Extracting \"w_main.srw\"\n";
    const EntryLayout source = entry("w_main.srw", "src"), bin = entry("w_main.bin", "BIN!", 9);
    const EntryLayout noData = entry("w_main.bin", ""), upper = entry("W_MAIN.SRU", "src");
    const std::string paired = src + section('7', "w_main.bin", 4, 9, row("214e4942"));
    // clang-format off
    const ExtractCase cases[] = {
        {"all entries: no lines, no sections", {source, bin}, {}, "",
         {{"w_main.srw", src}, {"w_main.bin", "BIN!"}}},
        {"*.* first means all", {source, bin}, {"*.*", "w_main.srw"}, "",
         {{"w_main.srw", src}, {"w_main.bin", "BIN!"}}},
        {"*.* later is a name", {source, bin}, {"w_main.srw", "*.*"}, one, {{"w_main.srw", paired}}},
        {"companion before its source", {bin, entry("x", ""), source}, {"w_main.srw"}, one,
         {{"w_main.srw", paired}}},
        {"a companion without data before the source is passed over", {noData, source, bin},
         {"w_main.srw"}, one, {{"w_main.srw", paired}}},
        {"the first companion after the source ends the search", {source, noData, bin},
         {"w_main.srw"}, one, {{"w_main.srw", src}}},
        {"the first companion with data before the source wins",
         {bin, source, entry("w_main.bin", "TWO!", 2)}, {"w_main.srw"}, one, {{"w_main.srw", paired}}},
        {"names ignore case; pairing needs the exact ending", {upper, entry("W_MAIN.BIN", "BIN!")},
         {"w_main.sru", "W_MAIN.SRU", "W_MAIN.SRU"}, repeat("Extracting \"W_MAIN.SRU\"\n", 3),
         {{"W_MAIN.SRU", kHeader + "W_MAIN.SRU\r\nsrc"}}},
        {"paired with the name as stored", {upper, entry("W_MAIN.BIN", "BIN!")}, {"w_main.sru"},
         "Extracting \"W_MAIN.SRU\"\n",
         {{"W_MAIN.SRU", kHeader + "W_MAIN.SRU\r\nsrc" + section('7', "W_MAIN.bin", 4, 0, row("214e4942"))}}},
        {"the first match wins", {entry("dup.srw", "first"), entry("DUP.srw", "second")}, {"DUP.SRW"},
         "Extracting \"dup.srw\"\n", {{"dup.srw", kHeader + "dup.srw\r\nfirst"}}},
        {"prefixed names, names not found, a resource named like a source",
         {entry("w_main.win", "code"), entry("C:\\app\\x.srw", "res")},
         {"w_main.win", "PCODE\\w_main.win", "missing", "RESOURCES\\c:\\app\\x.srw", std::string(150, 'a') + ".srw"},
         "Extracting \"PCODE\\w_main.win\"\nExtracting \"RESOURCES\\C:\\app\\x.srw\"\n",
         {{"w_main.win", "code"}, {"x.srw", "res"}}},
    };
    // clang-format on
    for (const ExtractCase& c : cases) check(c);
}

// Damaged data chains: the export writes what it could read and fails, and
// no export reads a block twice or writes more than the library holds.
TEST(Damage, ChainsThatCannotBeReadWholeFailTheExport) {
    EntryLayout loop = entry("loop.srw", "aaaabbbbcccc");
    loop.blockSizes = {4, 4, 4};
    EntryLayout split = entry("c.srw", "0123456789abc");
    split.blockSizes = {10, 3};
    const EntryLayout source = entry("w.srw", "src"), bin = entry("w.bin", "BIN!");
    const EntryLayout one = entry("one.win", "first"), two = entry("two.win", "second");
    const std::string plain = kHeader + "w.srw\r\nsrc", named = "Extracting \"w.srw\"\n";
    using L = BuiltLibrary;
    // clang-format off
    const ExtractCase cases[] = {
        {"a chain looping back is cut", {loop}, {"loop.srw"}, "Extracting \"loop.srw\"\n",
         {{"loop.srw", kHeader + "loop.srw\r\naaaabbbbcccc"}}, 4,
         [](L& l) { l.put32(l.blockOffsets[0][0][2] + 4, l.blockOffsets[0][0][1]); }},
        {"a chain cut short by the end of the file", {entry("d.win", std::string(1000, 'd'))}, {}, "",
         {{"d.win", std::string(502, 'd')}}, 4,
         [](L& l) { l.bytes.resize(l.blockOffsets[0][0][1] + 100); }},
        {"a used count above 502", {entry("over.win", "12345")}, {}, "", {{"over.win", ""}}, 4,
         [](L& l) { l.put16(l.blockOffsets[0][0][0] + 8, 503); }},
        {"entries overlapping a block, all extracted", {one, two}, {}, "",
         {{"one.win", "first"}, {"two.win", ""}}, 4,
         [](L& l) { l.put32(l.field(0, 1, 0), l.blockOffsets[0][0][0] + 100); }},
        {"named extraction may read shared blocks again", {one, two},
         {"PCODE\\one.win", "PCODE\\two.win", "PCODE\\two.win"},
         "Extracting \"PCODE\\one.win\"\nExtracting \"PCODE\\two.win\"\nExtracting \"PCODE\\two.win\"\n",
         {{"one.win", "first"}, {"two.win", "first"}}, 0,
         [](L& l) { l.put32(l.field(0, 1, 0), l.blockOffsets[0][0][0]); }},
        {"a companion size beyond the file", {source, bin}, {"w.srw"}, named, {{"w.srw", plain}}, 4,
         [](L& l) { l.put32(l.field(0, 1, 4), 1U << 20); }},
        {"a companion chain shorter than its size", {source, bin}, {"w.srw"}, named,
         {{"w.srw", plain}}, 4, [](L& l) { l.put32(l.field(0, 1, 4), 5); }},
        {"a companion running into its source's blocks", {source, bin}, {"w.srw", "PCODE\\w.bin"},
         named, {{"w.srw", plain}}, 4, [](L& l) { l.put32(l.field(0, 1, 0), l.blockOffsets[0][0][0]); }},
        {"a companion chain longer than its size", {source, entry("w.bin", std::string(600, 'B'))},
         {"w.srw"}, named, {{"w.srw", plain + section('7', "w.bin", 510, 0, row(repeat("42424242", 127) + "00004242"))}},
         0, [](L& l) { l.put32(l.field(0, 1, 4), 510); }},
        {"a companion size of 0 with data", {source, bin}, {"w.srw"}, named,
         {{"w.srw", plain + section('7', "w.bin", 0, 0, "")}}, 0,
         [](L& l) { l.put32(l.field(0, 1, 4), 0); }},
        {"a comment longer than the first block", {split}, {}, "",
         {{"c.srw", kHeader + "c.srw\r\n$PBExportComments$0123456789\r\nabc"}}, 0,
         [](L& l) { l.put16(l.field(0, 0, 12), 600); }},
    };
    // clang-format on
    for (const ExtractCase& c : cases) check(c);
}

TEST(Damage, EveryTruncationEndsCleanly) {
    LibraryLayout layout;
    layout.nodeBlockSize = 64;
    layout.nodes.resize(2);
    layout.nodes[0].right = 1;
    EntryLayout source = entry("w.srw", std::string(600, 's'));
    source.commentLength = 3;
    layout.nodes[0].entries = {source, entry("w.bin", std::string(100, 'b'))};
    layout.nodes[1].entries = {entry("C:\\img\\a.bmp", "BM"), entry("m.win", "code")};
    const BuiltLibrary whole = buildLibrary(layout);
    // Every cut through the trailer probe, the header, the nodes and each
    // block's header: cuts inside a block's data are all alike.
    const std::size_t firstBlock = whole.blockOffsets[0][0][0];
    std::vector<std::size_t> cuts{0, 7, 8, 233, 234, 511, 512};
    for (std::size_t at = 1023; at < whole.bytes.size(); ++at)
        if (at < firstBlock || (at - firstBlock) % 512 < 12) cuts.push_back(at);
    ScopedTempDir dir;
    int listed = 0;
    for (const std::size_t cut : cuts) {
        BuiltLibrary library = whole;
        library.bytes.resize(cut);
        const int list = runOn(library, "-v").exitCode;
        const int all = runOn(library, "-e").exitCode;
        const int named = runOn(library, "-e", {"w.srw", "RESOURCES\\C:\\img\\a.bmp"}).exitCode;
        ASSERT_TRUE(list == 0 || list == 2) << cut;
        ASSERT_TRUE(all == list || (list == 0 && all == 4)) << cut;
        ASSERT_TRUE(named == list || (list == 0 && named == 4)) << cut;
        listed += list == 0;
    }
    EXPECT_GT(listed, 100);
}

}  // namespace
}  // namespace lorvex::testing
