// -s: the sources of whole libraries as folders of text files, written again
// only where their bytes change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;
const std::string kBom = "\xEF\xBB\xBF", kHeader = "$PBExportHeader$";

std::string line(const std::string& library, const char* counts) {
    return library + " -> out/" + library.substr(library.rfind('/') + 1) + ".src: " + counts + "\n";
}

TEST(Sync, EncodingsOfText) {
    const std::vector<EntryLayout> single{entry("a.srw", "\xE7\xE3o \xE9 um\r\n"),
                                          entry("b.sru", "text"), entry("b.bin", "\1\2\3\4", 9),
                                          entry("c.win", "code")};
    const std::vector<EntryLayout> unicode{entry("\xC3\xA7.srw", std::string("a\0\xE9\0\x2D\x4E", 6)),
                                           entry("lone.srw", std::string("\0\xD8", 2))};
    const std::string b = kHeader + "b.sru\r\ntext" + section('4', "b.bin", 4, 9, row("04030201"));
    const std::string failed = "lorvex: lib.pbl: a.srw: its text ";
    struct Case {
        std::vector<std::string> options;
        bool unicode;
        Files files;
        std::string errors;
    };
    // clang-format off
    const Case cases[] = {
        {{"--codepage=1252", "--prune"}, false,
         {{"a.srw", kBom + kHeader + "a.srw\r\n\xC3\xA7\xC3\xA3o \xC3\xA9 um\r\n"}, {"b.sru", kBom + b}}, ""},
        {{"--encoding", "hexascii", "--codepage", "1252"}, false,
         {{"a.srw", "HA" + kHeader + "a.srw\r\n$$HEX2$$e700e300$$ENDHEX$$o $$HEX2$$e9002000$$ENDHEX$$um\r\n"},
          {"b.sru", "HA" + b}}, ""},
        {{"--encoding=native"}, false, {{"a.srw", kHeader + "a.srw\r\n\xE7\xE3o \xE9 um\r\n"}, {"b.sru", b}}, ""},
        {{}, false, {{"b.sru", kBom + b}},
         failed + "holds bytes of 0x80 or more: give the code page of its text with --codepage\n"},
        {{"--codepage=936"}, false, {{"b.sru", kBom + b}}, failed + "is not valid text in code page 936\n"},
        {{}, true, {{"\xC3\xA7.srw", kBom + kHeader + "\xC3\xA7.srw\r\na\xC3\xA9\xE4\xB8\xAD"}},
         "lorvex: lib.pbl: lone.srw: its text is not valid UTF-16: it holds an unpaired surrogate\n"},
        {{"--encoding=hexascii"}, true,
         {{"lone.srw", "HA" + kHeader + "lone.srw\r\n$$HEX1$$00d8$$ENDHEX$$"},
          {"\xC3\xA7.srw", "HA" + kHeader + "$$HEX1$$e700$$ENDHEX$$.srw\r\na$$HEX2$$e9002d4e$$ENDHEX$$"}}, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        ScopedTempDir dir;
        ASSERT_TRUE(
            buildLibrary(oneNode(c.unicode ? unicode : single, c.unicode)).writeTo("lib.pbl"));
        std::vector<std::string> arguments{"-s", "-o", "out", "lib.pbl"};
        arguments.insert(arguments.begin() + 1, c.options.begin(), c.options.end());
        const RunResult result = runLorvex(arguments);
        const std::string counts =
            std::to_string(c.files.size()) + " written, 0 unchanged, 0 removed";
        EXPECT_EQ(result.exitCode, c.errors.empty() ? 0 : 4) << c.errors;
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(result.output, line("lib.pbl", counts.c_str()));
        std::vector<std::string> names;
        for (const auto& [name, bytes] : c.files) {
            EXPECT_EQ(readFile("out/lib.pbl.src/" + name), bytes);
            names.push_back(name);
        }
        EXPECT_EQ(filesIn("out/lib.pbl.src"), names);
    }
}

TEST(Sync, RunsAgainTouchingOnlyWhatChanges) {
    ScopedTempDir dir;
    const std::vector<std::string> sync{"-s", "-o", "out", "lib.pbl", "--prune"};
    BuiltLibrary library =
        buildLibrary(oneNode({entry("a.srw", "one", 1087556400), entry("b.srw", "two")}));
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    // A library folder that links elsewhere is not written through.
    ASSERT_EQ(
        mkdir("out", 0755) | mkdir("elsewhere", 0755) | symlink("../elsewhere", "out/lib.pbl.src"),
        0);
    EXPECT_EQ(runLorvex(sync).errors,
              "lorvex: lib.pbl: out/lib.pbl.src: is a link, not a folder\n");
    EXPECT_EQ(filesIn("elsewhere").size() + unlink("out/lib.pbl.src"), 0U);
    EXPECT_EQ(runLorvex(sync).output, line("lib.pbl", "2 written, 0 unchanged, 0 removed"));
    EXPECT_EQ(readFile("out/lib.pbg"),
              "Save Format v3.0(19990112)\r\n@begin Libraries\r\n \"lib.pbl\" \"\";\r\n@end;\r\n"
              "@begin Objects\r\n \"lib.pbl.src\\\\a.srw\" \"lib.pbl\";\r\n"
              " \"lib.pbl.src\\\\b.srw\" \"lib.pbl\";\r\n@end;\r\n");
    struct stat status {};
    EXPECT_EQ(stat("out/lib.pbl.src/a.srw", &status) == 0 ? status.st_mtime : 0, 1087556400);
    for (const char* name : {"out/lib.pbl.src/b.srw", "out/lib.pbl.src/o.SRX",
                             "out/lib.pbl.src/notes.txt", "out/lib.pbl.src/.lorvex-b.srw.1"})
        std::ofstream(name) << "changed";
    EXPECT_EQ(runLorvex(sync).output, line("lib.pbl", "1 written, 1 unchanged, 1 removed"));
    EXPECT_EQ(filesIn("out/lib.pbl.src"),
              (std::vector<std::string>{"a.srw", "b.srw", "notes.txt"}));
    // A source that can no longer be read keeps its last good export.
    library.bytes.resize(library.blockOffsets[0][1][0] + 8);
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    RunResult result = runLorvex(sync);
    EXPECT_EQ(result.output, line("lib.pbl", "0 written, 1 unchanged, 0 removed"));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(readFile("out/lib.pbl.src/b.srw"), kBom + kHeader + "b.srw\r\ntwo");
    // Target files name libraries relative to their folder; each is exported once.
    ASSERT_EQ(mkdir("sub", 0755), 0);
    for (const char* path : {"lib.pbl", "sub/lib.pbl", "sub/other.pbl"})
        ASSERT_TRUE(
            buildLibrary(oneNode({entry("a.srw", path), entry("c\x01.srw", "")})).writeTo(path));
    std::ofstream("app.PBT") << "\xEF\xBB\xBFsave_format v3.0(19990112)\r\n"
                                "liblist \"lib.pbl;sub\\\\other.pbl;missing.pbl;./lib.pbl;sub\\\\lib.pbl\";\r\n";
    std::ofstream("bad.pbt") << "save_format v3.0(19990112)\r\n";
    result = runLorvex({"-s", "-o", "out", "app.PBT", "lib.pbl", "bad.pbt"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.output, line("lib.pbl", "1 written, 0 unchanged, 0 removed") +
                                 line("sub/other.pbl", "1 written, 0 unchanged, 0 removed"));
    const std::string control = ": c\\x01.srw: its name holds a control character\n";
    EXPECT_EQ(
        result.errors,
        "lorvex: bad.pbt: no liblist line in the target file\nlorvex: lib.pbl" + control + "lorvex: sub/other.pbl" + control +
            "lorvex: missing.pbl: cannot open: No such file or directory\n"
            "lorvex: sub/lib.pbl: another library of this run has its file name; not exported\n");
    EXPECT_EQ(readFile("out/other.pbl.src/a.srw"), kBom + kHeader + "a.srw\r\nsub/other.pbl");
}

// Libraries for the end-to-end tests of the Windows build under Wine, written
// into the folder $LORVEX_FIXTURES names.
TEST(Sync, FixturesForTheWindowsBuild) {
    const char* folder = std::getenv("LORVEX_FIXTURES");
    if (folder == nullptr) GTEST_SKIP() << "LORVEX_FIXTURES is not set";
    std::vector<EntryLayout> names;
    for (const char* name : {"c:evil.gif", "a:b", "x.gif.", "y.gif ", "nul.srw", "CON", "aux.gif",
                             "prn", "Com1", "lpt9.txt"})
        names.push_back(entry(name, "x"));
    const std::pair<const char*, LibraryLayout> fixtures[] = {
        {"names.pbl", oneNode(names)},
        {"cp1252.pbl", oneNode({entry("a.srw", "\xE7\xE3o \xE9 um\r\n"), entry("b.sru", "x"),
                                entry("b.bin", "BIN!")})},
        {"cp936.pbl", oneNode({entry("\xD6\xD0.srw", "\xD6\xD0\xCE\xC4\r\n")})},
        {"unicode.pbl", oneNode({entry("\xC3\xA7\xE4\xB8\xAD.srw", wide("x"))}, true)}};
    for (const auto& [name, layout] : fixtures)
        EXPECT_TRUE(buildLibrary(layout).writeTo(std::string(folder) + "/" + name));
}

}  // namespace
}  // namespace lorvex::testing
