// Libraries of the Unicode-era versions: UTF-16LE names and sources.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "library/LibraryReader.h"
#include "library/Utf16.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

std::string wide(const std::string& ascii) {
    return text(utf16Le(ascii));
}

LibraryLayout unicodeLibrary(const std::vector<EntryLayout>& entries) {
    LibraryLayout layout;
    layout.unicode = true;
    layout.nodes.resize(1);
    layout.nodes[0].entries = entries;
    return layout;
}

EntryLayout wideEntry(const std::string& name, const std::string& utf8, std::uint16_t comment = 0) {
    EntryLayout e = entry(name, "");
    e.data = utf16Le(utf8);
    e.commentLength = comment;
    return e;
}

TEST(Utf16, ConvertsBothWaysWithSurrogatesAndReplacement) {
    const Bytes pair = {0x3D, 0xD8, 0x00, 0xDE};  // U+1F600
    EXPECT_EQ(utf16LeToUtf8(pair.data(), pair.size()), "\xF0\x9F\x98\x80");
    const Bytes lone = {'a', 0, 0x00, 0xD8, 'b', 0, 0x00, 0xDC};
    EXPECT_EQ(utf16LeToUtf8(lone.data(), lone.size()),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    const Bytes stops = {'a', 0, 0, 0, 'b', 0};
    EXPECT_EQ(utf16LeToUtf8(stops.data(), stops.size()), "a");
    EXPECT_EQ(utf8ToUtf16Le("\xC3\xA7\xF0\x9F\x98\x80", 6),
              text({0xE7, 0x00, 0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(utf8ToUtf16Le("\xFF", 1), text({0xFD, 0xFF}));
    EXPECT_EQ(utf16Length("a\xC3\xA7\xF0\x9F\x98\x80", 7), 4U);
}

class Unicode : public ::testing::Test {
protected:
    RunResult run(const LibraryLayout& layout, std::vector<std::string> arguments) {
        EXPECT_TRUE(buildLibrary(layout).writeTo("lib.pbl"));
        arguments.insert(arguments.begin() + 1, "lib.pbl");
        return runLorvex(arguments);
    }
    ScopedTempDir dir_;
    ScopedTimeZone zone_{"UTC"};
};

TEST_F(Unicode, ZeroHeaderBytesStaySingleByte) {
    LibraryLayout layout;
    layout.nodes.resize(1);
    layout.nodes[0].entries = {entry("a.srw", "x")};
    BuiltLibrary library = buildLibrary(layout);
    library.patch(4, Bytes(230, 0));
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("lib.pbl", false));
    EXPECT_FALSE(reader.isUnicodeEra());
    EXPECT_EQ(reader.nodes().front().blockOffset, 1024U);
}

TEST_F(Unicode, SourceExportIsUtf16WithMarkAndListsItsOwnSize) {
    const RunResult listing = run(unicodeLibrary({wideEntry("a.srw", "abcX\r\n", 3)}), {"-v"});
    const std::string expected =
        "\xFF\xFE" + wide("$PBExportHeader$a.srw\r\n$PBExportComments$abc\r\nX\r\n");
    EXPECT_EQ(listing.output, "Listing entries...\n--\na.srw" + std::string(45, ' ') +
                                  "000000100 01.01.1970 00:00:00\n--\nTotal objects: 1\n");
    EXPECT_EQ(run(unicodeLibrary({wideEntry("a.srw", "abcX\r\n", 3)}), {"-e"}).exitCode, 0);
    EXPECT_EQ(readFile("a.srw"), expected);
    EXPECT_EQ(expected.size(), 100U);
}

TEST_F(Unicode, ZeroBytesStayAndTheSectionIsUtf16Too) {
    EntryLayout source =
        wideEntry("w.srw", "ab");  // blocks end in the zero high byte of 'a' and 'b'
    source.blockSizes = {2, 2};
    const EntryLayout companion = entry("w.bin", "\x01\x02\x03\x04", 7);
    EXPECT_EQ(run(unicodeLibrary({source, companion}), {"-e", "w.srw"}).output,
              "Extracting \"w.srw\"\n");
    std::string groups;
    for (int i = 0; i < 498; ++i) groups += "00000000";
    EXPECT_EQ(
        readFile("w.srw"),
        "\xFF\xFE" + wide("$PBExportHeader$w.srw\r\n") + std::string("a\0b\0", 4) +
            wide("\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n07w.bin 4 7\r\n20"
                 "04030201" +
                 groups +
                 "\r\n17w.bin 4 7\r\nEnd of PowerBuilder Binary Data Section : No Source Expected "
                 "After This Point\r\n"));
    EXPECT_EQ(run(unicodeLibrary({source}), {"-e", "w.srw"}).exitCode, 0);
    EXPECT_EQ(readFile("w.srw"),
              "\xFF\xFE" + wide("$PBExportHeader$w.srw\r\n") + std::string("a\0b\0", 4));
}

TEST_F(Unicode, NamesAreListedAndWrittenAsUtf8) {
    EntryLayout odd = entry("odd.win", "x");
    odd.storedName = Bytes{'o', 0, 'd', 0, 'd', 0, 0};  // an odd length ends the pass
    const RunResult listing = run(
        unicodeLibrary({entry("\xC3\xA7.win", "raw"), entry("\xF0\x9F\x98\x80.srw", ""),
                        wideEntry("C:\\img\\\xC3\xA7.bmp", "img"), odd, entry("never.win", "")}),
        {"-v"});
    EXPECT_NE(listing.output.find("\nPCODE\\\xC3\xA7.win"), std::string::npos);
    EXPECT_NE(listing.output.find("\n\xF0\x9F\x98\x80.srw"), std::string::npos);
    EXPECT_NE(listing.output.find("Total objects: 3\n"), std::string::npos) << listing.output;
    EXPECT_EQ(run(unicodeLibrary(
                      {entry("\xC3\xA7.win", "raw"), wideEntry("C:\\img\\\xC3\xA7.bmp", "img")}),
                  {"-e"})
                  .exitCode,
              0);
    EXPECT_EQ(readFile("\xC3\xA7.win"), "raw");
    EXPECT_EQ(readFile("\xC3\xA7.bmp"), text(utf16Le("img")));
    // A name outside the basic plane goes back to a surrogate pair in the header line.
    EXPECT_EQ(run(unicodeLibrary({entry("\xF0\x9F\x98\x80.srw", "")}), {"-e"}).exitCode, 0);
    EXPECT_EQ(
        readFile("\xF0\x9F\x98\x80.srw"),
        "\xFF\xFE" + wide("$PBExportHeader$") + text({0x3D, 0xD8, 0x00, 0xDE}) + wide(".srw\r\n"));
}

TEST_F(Unicode, UnpairedSurrogateBecomesReplacementCharacter) {
    EntryLayout lone = entry("", "x");
    lone.storedName = Bytes{'x', 0, 0x00, 0xD8, 0, 0};
    EXPECT_NE(run(unicodeLibrary({lone}), {"-v"}).output.find("\nPCODE\\x\xEF\xBF\xBD "),
              std::string::npos);
}

TEST_F(Unicode, LongNamesAreCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xC3\xA7";  // 120 bytes of UTF-8
    ASSERT_TRUE(buildLibrary(unicodeLibrary({entry(name, "")})).writeTo("lib.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("lib.pbl", false));
    ASSERT_TRUE(reader.rewind() && reader.next());
    EXPECT_EQ(std::string(reader.current().displayName), "PCODE\\" + name.substr(0, 92));
}

const std::string kCorpus = std::string(LORVEX_SOURCE_DIR) + "/../shared/corpus/";

TEST_F(Unicode, RealLibrariesListAndExtract) {
    if (!fileExists(kCorpus + "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus;
    const std::string korean = kCorpus + "ChaeWoongbin__PowerBuilder/main-unicode.pbl";
    EXPECT_NE(runLorvex({"-v", korean}).output.find("\n--\nTotal objects: 6\n"), std::string::npos);
    EXPECT_EQ(runLorvex({"-e", korean, "w_main.srw"}).exitCode, 0);
    const std::string window = readFile("w_main.srw");
    const std::string decoded =
        utf16LeToUtf8(reinterpret_cast<const unsigned char*>(window.data()) + 2, window.size() - 2);
    EXPECT_EQ(window.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(decoded.find("07w_main.bin 2564 "), std::string::npos);
    bool hangul = false;
    for (std::size_t i = 0; i + 2 < decoded.size(); ++i) {
        const auto lead = static_cast<unsigned char>(decoded[i]);
        hangul = hangul || (lead >= 0xEA && lead <= 0xED);  // U+AC00 to U+D7A3
    }
    EXPECT_TRUE(hangul);
}

TEST_F(Unicode, SameSourcesExtractToTheSameTextInBothGenerations) {
    if (!fileExists(kCorpus + "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus;
    const std::string folder = kCorpus + "thansuoi113__Coolmenu-In-PowerBuilder/";
    ASSERT_EQ(mkdir("v9", 0755), 0);
    ASSERT_EQ(mkdir("v10", 0755), 0);
    ASSERT_EQ(chdir("v9"), 0);
    EXPECT_EQ(runLorvex({"-e", folder + "coolmenu-v9.pbl"}).exitCode, 0);
    ASSERT_EQ(chdir("../v10"), 0);
    EXPECT_EQ(runLorvex({"-e", folder + "coolmenu-v10-unicode.pbl"}).exitCode, 0);
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_EQ(filesIn("v9"), filesIn("v10"));
    int sources = 0;
    int same = 0;
    for (const std::string& name : filesIn("v9")) {
        if (name.size() < 4 || name.compare(name.size() - 4, 3, ".sr") != 0) continue;
        ++sources;
        const std::string single = readFile("v9/" + name);
        const std::string unicode = readFile("v10/" + name);
        // The single-byte sources are plain ASCII here, so widening them compares exactly.
        same += unicode == "\xFF\xFE" + wide(single);
    }
    EXPECT_EQ(sources, 18);
    EXPECT_EQ(same, 14);  // the other four were edited between the versions
}

}  // namespace
}  // namespace lorvex::testing
