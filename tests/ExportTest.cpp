// Export files byte for byte, and which entries an extraction picks.
#include <gtest/gtest.h>

#include "library/EntryNames.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kHeader = "$PBExportHeader$";

std::string repeat(const std::string& text, std::size_t times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}

TEST(Export, FilesFollowTheExportFormat) {
    std::string abc;
    for (int i = 0; i < 600; ++i) abc += static_cast<char>('a' + i % 26);
    const std::string big(150000, 's'), x11 = "11111111";
    // 300,000 bytes: 150 full rows and one of 600 bytes.
    const std::string bigRows =
        repeat(row(repeat("5a5a5a5a", 499)), 150) + row(repeat("5a5a5a5a", 150));
    // clang-format off
    const ExtractCase cases[] = {
        // All entries: sources with their comments, raw compiled objects and resources.
        {{with(entry("big.srw", abc), 3, {20, 502, 78}), with(entry("w.win", std::string("\0\1Xraw\r\n\xff", 9)), 3),
          entry("C:\\img\\logo.bmp", "BM"), entry("icons/app.ico", "ICO"), entry("c:logo.gif", "GIF89a"),
          with(entry("a.srw", ""), 4), entry("a.win", ""), entry("a\\x.txt", "first"), entry("b\\x.txt", "")},
         {}, "",
         {{"big.srw", kHeader + "big.srw\r\n$PBExportComments$abc\r\n" + abc.substr(3)}, {"w.win", "raw\r\n\xff"},
          {"logo.bmp", "BM"}, {"app.ico", "ICO"}, {"c:logo.gif", "GIF89a"},
          {"a.srw", kHeader + "a.srw\r\n$PBExportComments$"}, {"a.win", ""}, {"x.txt", ""}}},
        // Named sources with binary data sections.
        {{entry("w.srw", "0123456789\r\n"), entry("w.bin", "\1\2\3\4", 7),
          entry("u.bin", std::string(1996, '\x11'), 4000000000U), entry("u.sru", ""),
          entry("v.sru", ""), entry("v.bin", std::string(1997, '\x11')),
          with(entry("z.srw", std::string("ab\0c\0ef\0", 8)), 3, {5, 3}), entry("z.bin", "BIN!"),
          with(entry("y.srw", std::string("ab\0cd\0", 6)), 0, {3, 3}),
          entry("big.srw", big), entry("big.bin", std::string(300000, 'Z')), entry("raw.win", big + "end")},
         {"w.srw", "u.sru", "v.sru", "z.srw", "y.srw", "big.srw", "PCODE\\raw.win"},
         "Extracting \"w.srw\"\nExtracting \"u.sru\"\nExtracting \"v.sru\"\nExtracting \"z.srw\"\n"
         "Extracting \"y.srw\"\nExtracting \"big.srw\"\nExtracting \"PCODE\\raw.win\"\n",
         {{"w.srw", kHeader + "w.srw\r\n0123456789\r\n" + section('7', "w.bin", 4, 7, row("04030201"))},
          {"u.sru", kHeader + "u.sru\r\n" + section('4', "u.bin", 1996, 4000000000U, row(repeat(x11, 499)))},
          {"v.sru", kHeader + "v.sru\r\n" + section('4', "v.bin", 1997, 0, row(repeat(x11, 499)) + row("00000011"))},
          // A zero last byte of a block is a space with a companion, but not in the comment.
          {"z.srw", kHeader + "z.srw\r\n$PBExportComments$" + std::string("ab\0\r\nc ef ", 10) +
                        section('7', "z.bin", 4, 0, row("214e4942"))},
          {"y.srw", kHeader + "y.srw\r\n" + std::string("ab\0cd\0", 6)},
          {"big.srw", kHeader + "big.srw\r\n" + big + section('7', "big.bin", 300000, 0, bigRows)},
          {"raw.win", big + "end"}}},
        // An empty output name stops the extraction.
        {{entry("C:\\dir\\", "x"), entry("next.win", "y")},
         {}, "", {}, 4},
    };
    // clang-format on
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        check(c);
    }
}

TEST(Export, SelectionOfEntriesAndCompanions) {
    auto source = [](const std::string& name) { return kHeader + name + "\r\nsrc"; };
    auto paired = [&](const std::string& name, const char* bin, std::uint32_t time) {
        return source(name) + section('7', bin, 4, time, row("214e4942"));
    };
    const EntryLayout w = entry("w.srw", "src"), wBin = entry("w.bin", "BIN!", 9);
    const EntryLayout upper = entry("W.SRU", "src"), upperBin = entry("W.BIN", "BIN!");
    // clang-format off
    const ExtractCase cases[] = {
        // All entries, also with names after "*.*": no lines, no sections.
        {{w, wBin}, {"*.*", "w.srw"}, "",
         {{"w.srw", source("w.srw")}, {"w.bin", "BIN!"}}},
        // Companions before and after their source, with data and without.
        {{entry("a.bin", "BIN!", 9), entry("x", ""), entry("a.srw", "src"),
          entry("b.bin", ""), entry("b.srw", "src"), entry("b.bin", "BIN!", 9),
          entry("c.srw", "src"), entry("c.bin", ""), entry("c.bin", "BIN!", 9),
          entry("d.bin", "BIN!", 9), entry("d.srw", "src"), entry("d.bin", "TWO!", 2)},
         {"a.srw", "b.srw", "c.srw", "d.srw"},
         "Extracting \"a.srw\"\nExtracting \"b.srw\"\nExtracting \"c.srw\"\nExtracting \"d.srw\"\n",
         {{"a.srw", paired("a.srw", "a.bin", 9)}, {"b.srw", paired("b.srw", "b.bin", 9)}, {"c.srw", source("c.srw")},
          {"d.srw", paired("d.srw", "d.bin", 9)}}},
        // Names ignore case; pairing needs the exact ending.
        {{upper, upperBin}, {"w.sru", "W.SRU"},
         "Extracting \"W.SRU\"\nExtracting \"W.SRU\"\n", {{"W.SRU", source("W.SRU")}}},
        // Paired with the name as stored.
        {{upper, upperBin}, {"w.sru"}, "Extracting \"W.SRU\"\n",
         {{"W.SRU", paired("W.SRU", "W.bin", 0)}}},
        // The first match wins.
        {{entry("d.srw", "src"), entry("D.srw", "second")}, {"D.SRW"},
         "Extracting \"d.srw\"\n", {{"d.srw", source("d.srw")}}},
        // Prefixed names, names not found, a resource named like a source.
        {{entry("w.win", "code"), entry("C:\\app\\x.srw", "res")},
         {"w.win", "PCODE\\w.win", "missing", "RESOURCES\\c:\\app\\x.srw", std::string(150, 'a') + ".srw"},
         "Extracting \"PCODE\\w.win\"\nExtracting \"RESOURCES\\C:\\app\\x.srw\"\n", {{"w.win", "code"}, {"x.srw", "res"}}},
        // Patterns: each display name they match once, in library order, named by it; '*' runs
        // over backslashes, '?' is one character; many stars cost no time.
        {{w, wBin, entry("C:\\app\\x.srw", "res"), entry("d.srw", "src"), entry("D.srw", "second"),
          entry("v.srd", "src"), entry("\xC3\xA7.win", "c"), entry(std::string(90, 'a') + ".win", "a")},
         {"*.srw", "PCODE\\*.BIN", "*\\x.*", "?.SRD", "pcode\\?.win", "nothing*", repeat("*a", 40) + "*b"},
         "Extracting \"w.srw\"\nExtracting \"RESOURCES\\C:\\app\\x.srw\"\nExtracting \"d.srw\"\n"
         "Extracting \"PCODE\\w.bin\"\nExtracting \"RESOURCES\\C:\\app\\x.srw\"\nExtracting \"v.srd\"\n"
         "Extracting \"PCODE\\\xC3\xA7.win\"\n",
         {{"w.srw", paired("w.srw", "w.bin", 9)}, {"w.bin", "BIN!"}, {"x.srw", "res"}, {"d.srw", source("d.srw")},
          {"v.srd", source("v.srd")}, {"\xC3\xA7.win", "c"}}},
    };
    // clang-format on
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        check(c);
    }
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
        // A chain looping back is cut.
        {{loop}, {"loop.srw"}, "Extracting \"loop.srw\"\n",
         {{"loop.srw", kHeader + "loop.srw\r\naaaabbbbcccc"}}, 4,
         [](L& l) { l.setNextBlock(0, 0, 2, l.block(0, 0, 1)); }},
        // A chain cut short by the end of the file.
        {{entry("d.win", std::string(1000, 'd'))}, {}, "",
         {{"d.win", std::string(502, 'd')}}, 4,
         [](L& l) { l.truncateTo(l.block(0, 0, 1) + 100); }},
        // A used count above 502.
        {{entry("over.win", "12345")}, {}, "", {{"over.win", ""}}, 4,
         [](L& l) { l.setUsedCount(0, 0, 0, 503); }},
        // Entries overlapping a block, all extracted, or all that a pattern matches.
        {{one, two}, {}, "",
         {{"one.win", "first"}, {"two.win", ""}}, 4,
         [](L& l) { l.setField(0, 1, L::kFirstBlock, l.block(0, 0, 0) + 100); }},
        {{one, two}, {"*"}, "Extracting \"PCODE\\one.win\"\nExtracting \"PCODE\\two.win\"\n",
         {{"one.win", "first"}, {"two.win", ""}}, 4,
         [](L& l) { l.setField(0, 1, L::kFirstBlock, l.block(0, 0, 0)); }},
        // A companion size beyond the file.
        {{source, bin}, {"w.srw"}, named, {{"w.srw", plain}}, 4,
         [](L& l) { l.setField(0, 1, L::kDataSize, 1U << 20); }},
        // A companion chain shorter than its size.
        {{source, bin}, {"w.srw"}, named,
         {{"w.srw", plain}}, 4, [](L& l) { l.setField(0, 1, L::kDataSize, 5); }},
        // A companion running into its source's blocks.
        {{source, bin}, {"w.srw", "PCODE\\w.bin"},
         named, {{"w.srw", plain}}, 4, [](L& l) { l.setField(0, 1, L::kFirstBlock, l.block(0, 0, 0)); }},
        // A companion chain longer than its size.
        {{source, entry("w.bin", std::string(600, 'B'))},
         {"w.srw"}, named, {{"w.srw", plain + section('7', "w.bin", 510, 0, row(repeat("42424242", 127) + "00004242"))}},
         0, [](L& l) { l.setField(0, 1, L::kDataSize, 510); }},
        // A companion size of 0 with data.
        {{source, bin}, {"w.srw"}, named,
         {{"w.srw", plain + section('7', "w.bin", 0, 0, "")}}, 0,
         [](L& l) { l.setField(0, 1, L::kDataSize, 0); }},
        // A comment longer than the first block.
        {{split}, {}, "",
         {{"c.srw", kHeader + "c.srw\r\n$PBExportComments$0123456789\r\nabc"}}, 0,
         [](L& l) { l.setField(0, 0, L::kCommentLength, 600); }},
    };
    // clang-format on
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        check(c);
    }
    // What damage cut short keeps the time it was written, not the entry's.
    ScopedTempDir dir;
    BuiltLibrary cut = buildLibrary(oneNode({entry("d.win", std::string(1000, 'd'), 86400)}));
    cut.truncateTo(cut.block(0, 0, 1) + 100);
    ASSERT_TRUE(cut.writeTo("lib.pbl"));
    EXPECT_EQ(runLorvex({"-e", "lib.pbl"}).exitCode, 4);
    struct stat status {};
    EXPECT_TRUE(stat("d.win", &status) == 0 && status.st_mtime != 86400);
}

// -t is intact exactly when every export it stands for succeeds: the extraction
// of all entries, and each source by its name as stored and with its extension
// in lower case. "@" in a line is the first block of the first entry.
TEST(Check, IntactExactlyWhenTheExportsSucceed) {
    using L = BuiltLibrary;
    const std::string shared =
        "data block at @ was read before: the chain loops or shares blocks with another\n";
    const std::vector<EntryLayout> srwSrd{entry("a.srw", "x"), entry("a.srd", "y"),
                                          entry("a.bin", "BIN!")};
    struct Case {
        std::vector<EntryLayout> entries;
        void (*damage)(L&);
        std::string lines;
    };
    // clang-format off
    const Case cases[] = {
        // Sources sharing a companion, by letter case and by extension.
        {{entry("a.srw", "x"), entry("A.srw", "y"), entry("a.bin", "BIN!")}, [](L&) {}, "Checked 3 entries: 3 intact\n"},
        {srwSrd, [](L&) {}, "Checked 3 entries: 3 intact\n"},
        // A companion neither can show, judged for each.
        {srwSrd, [](L& l) { l.setField(0, 2, L::kDataSize, 10); },
         "a.srw: its compiled companion a.bin: its blocks hold 4 of its 10 bytes\n"
         "a.srd: its compiled companion a.bin: its blocks hold 4 of its 10 bytes\nChecked 3 entries: 2 damaged\n"},
        // Extensions stored in capitals pair when asked for in lower case.
        {{entry("W.Srw", "src"), entry("w.BIN", "BIN!")}, [](L&) {}, "Checked 2 entries: 2 intact\n"},
        {{entry("W.SRW", "src"), entry("W.BIN", std::string(100, 'B'))}, [](L& l) { l.setField(0, 1, L::kDataSize, 1500); },
         "W.SRW: its compiled companion W.bin: its blocks hold 100 of its 1500 bytes\nChecked 2 entries: 1 damaged\n"},
        // A size as large as the library may be one, but not more than its chain holds.
        {{entry("W.SRW", "src"), entry("W.BIN", std::string(100, 'B'))},
         [](L& l) { l.setField(0, 1, L::kDataSize, static_cast<std::uint32_t>(l.bytes.size())); },
         "W.SRW: its compiled companion W.bin: its blocks hold 100 of its # bytes\nChecked 2 entries: 1 damaged\n"},
        // A size larger than the library is refused before anything is read.
        {{entry("w.srw", "src"), entry("w.bin", "BIN!")}, [](L& l) { l.setField(0, 1, L::kDataSize, 1U << 20); },
         "w.srw: its compiled companion w.bin: claims 1048576 bytes, more than the library holds\n"
         "Checked 2 entries: 1 damaged\n"},
        // A companion running into its source's blocks fails both.
        {{entry("w.srw", "src"), entry("w.bin", "BIN!")}, [](L& l) { l.setField(0, 1, L::kFirstBlock, l.block(0, 0, 0)); },
         "w.srw: its compiled companion w.bin: " + shared + "PCODE\\w.bin: " + shared + "Checked 2 entries: 2 damaged\n"},
        // A file name no extraction can create.
        {{entry("C:\\dir\\", "x"), entry(".", "")}, [](L&) {},
         "RESOURCES\\C:\\dir\\: its file name \"\" is empty\nPCODE\\.: its file name \".\" names a folder\nChecked 2 entries: 2 damaged\n"},
        // Companions sharing blocks: each named export succeeds, the extraction of all fails.
        {{entry("a.bin", "BIN!"), entry("a.srw", "x"), entry("b.srw", "y"), entry("b.bin", "BIN!")},
         [](L& l) { l.setField(0, 3, L::kFirstBlock, l.block(0, 0, 0)); }, "PCODE\\b.bin: " + shared + "Checked 4 entries: 1 damaged\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        BuiltLibrary library = buildLibrary(oneNode(c.entries));
        c.damage(library);
        ASSERT_TRUE(library.writeTo("lib.pbl"));
        std::string lines = c.lines;
        for (std::size_t at; (at = lines.find('@')) != std::string::npos;)
            lines.replace(at, 1, std::to_string(library.blockOffsets[0][0][0]));
        for (std::size_t at; (at = lines.find('#')) != std::string::npos;)
            lines.replace(at, 1, std::to_string(library.bytes.size()));
        const RunResult check = runLorvex({"-t", "lib.pbl"});
        EXPECT_EQ(check.output, lines);
        const RunResult all = runLorvex({"-e", "lib.pbl"});
        bool exported = all.exitCode == 0;
        // -e names an entry whose file name no folder takes as -t does.
        if (lines.find("is empty") != std::string::npos) {
            EXPECT_EQ(all.errors,
                      "lorvex: RESOURCES\\C:\\dir\\: cannot create: its file name \"\" is empty\n");
        }
        for (const EntryLayout& e : c.entries) {  // names of other entries are not found
            const std::string stem = e.name.substr(0, e.name.size() - 3);
            for (const std::string& name : {e.name, stem + foldedName(e.name.substr(stem.size()))})
                exported = runLorvex({"-e", "lib.pbl", name}).exitCode == 0 && exported;
        }
        EXPECT_EQ(check.exitCode, exported ? 0 : 4) << lines;
    }
}

// Libraries of the Unicode-era versions: UTF-16LE names and sources.

const std::string kBom = "\xFF\xFE", kChinese = "\xE4\xB8\xAD\xE6\x96\x87.srw",
                  kSmile = "\xF0\x9F\x98\x80.srw";

TEST(Unicode, ExportsAreUtf16WithTheirMark) {
    const EntryLayout zeros =
        with(entry("w.srw", wide("ab")), 0, {2, 2});  // blocks end in zero bytes
    const std::string header = kBom + wide("$PBExportHeader$");
    // clang-format off
    // Sources in UTF-16, compiled objects and resources raw.
    check({{with(entry("a.srw", wide("abcX\r\n")), 3), entry("\xC3\xA7.win", "raw"), entry("C:\\i\\\xC3\xA7.bmp", "I"),
            entry(kChinese, wide("x")), entry(kSmile, ""), zeros, entry("w.bin", "\1\2\3\4", 7)},
           {"a.srw", "PCODE\\\xC3\xA7.win", "RESOURCES\\C:\\i\\\xC3\xA7.bmp", kChinese, kSmile, "w.srw"},
           "Extracting \"a.srw\"\nExtracting \"PCODE\\\xC3\xA7.win\"\nExtracting \"RESOURCES\\C:\\i\\\xC3\xA7.bmp\"\n"
           "Extracting \"" + kChinese + "\"\nExtracting \"" + kSmile + "\"\nExtracting \"w.srw\"\n",
           {{"a.srw", header + wide("a.srw\r\n$PBExportComments$abc\r\nX\r\n")}, {"\xC3\xA7.win", "raw"},
            {"\xC3\xA7.bmp", "I"}, {kChinese, header + std::string("\x2D\x4E\x87\x65", 4) + wide(".srw\r\nx")},
            {kSmile, header + std::string("\x3D\xD8\x00\xDE", 4) + wide(".srw\r\n")},
            // Zero bytes stay, and the binary data section is UTF-16 too.
            {"w.srw", header + wide("w.srw\r\nab" + section('7', "w.bin", 4, 7, row("04030201")))}},
           0, nullptr, true});
    // clang-format on
}

}  // namespace
}  // namespace lorvex::testing
