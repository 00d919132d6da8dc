// -s: the sources of whole applications as folders of text files, in the
// layout and form the environment's own source control keeps, written again
// only where their bytes change, and never at the cost of a file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <atomic>
#include <list>
#include <thread>

#include "cli/SyncOptions.h"
#include "extract/SourceOrder.h"
#include "sync/LineEnds.h"
#include "sync/SyncSources.h"
#include "tests/support/TestFiles.h"
#include "text/CaseFolder.h"
#include "text/CodePage.h"

namespace lorvex::testing {
namespace {

const std::string kBom = "\xEF\xBB\xBF", kHeader = "$PBExportHeader$";

// The lock of a folder, held as another run into it holds it, and let go as
// soon as a run waits for it: when the kernel lists a waiter on it ("->").
struct HeldLock {
    explicit HeldLock(const char* folder) : handle(open(folder, O_RDONLY | O_DIRECTORY)) {
        struct stat status {};
        EXPECT_TRUE(flock(handle, LOCK_EX) == 0 && fstat(handle, &status) == 0) << folder;
        const std::string waiter = ":" + std::to_string(status.st_ino) + " ";
        releaser = std::thread([this, waiter] {
            for (bool waited = false; !waited && !over; std::this_thread::yield()) {
                std::ifstream locks("/proc/locks");
                for (std::string line; !waited && std::getline(locks, line);)
                    waited = line.find(" -> ") != line.npos && line.find(waiter) != line.npos;
            }
            flock(handle, LOCK_UN);
        });
    }
    ~HeldLock() {
        over = true;
        releaser.join();
        close(handle);
    }
    const int handle;
    std::atomic<bool> over{false};
    std::thread releaser;
};

// A binary data section as source control writes it: its name lines carry a
// check digit (given here with the name) and nothing after the name.
std::string checkedSection(const std::string& digitAndName, const std::string& rows) {
    return "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n0" + digitAndName +
           " \r\n" + rows + "1" + digitAndName +
           " \r\nEnd of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n";
}

std::string objectList(const std::string& library, const std::vector<std::string>& sources) {
    std::string list = kBom + "Save Format v3.0(19990112)\n@begin Libraries\n \"" + library +
                       "\" \"\";\n@end;\n@begin Objects \n";
    for (const std::string& source : sources) list += " \"" + source + "\" \"" + library + "\";\n";
    return list + "@end;\n";
}

std::string summary(const std::string& library, const char* counts) {
    return library + " -> out/" + library + ".src: " + counts + "\n";
}

TEST(Sync, EncodingsOfText) {
    const std::vector<EntryLayout> single{entry("a.srw", "\xE7\xE3o \xE9 um\r\n"),
                                          entry("b.sru", "text"), entry("b.bin", "\1\2\3\4", 9),
                                          entry("c.win", "code")};
    // A final NUL (and the space before it) is left out; a lone surrogate, or
    // half a unit, is not text.
    const std::vector<EntryLayout> unicode{
        entry("\xC3\xA7.srw",
              std::string("a\0\xE9\0\x2D\x4E\x40\xDB\x41\xDC\x00\x08\x00\xD8\x00\xDC", 16)),
        entry("lone.srw", std::string("\0\xD8", 2)), entry("odd.srw", std::string("x\0y", 3)),
        entry("w.srw", wide("x ") + std::string(2, '\0')), entry("w.bin", "\1\2\3\4")};
    // "b.bin" sums to 0x1C9, "w.bin" to 0x1DE; a row of 01 02 03 04 to 0x04030201.
    const std::string b = kHeader + "b.sru\r\ntext\r\n" + checkedSection("9b.bin", row("04030201"));
    const std::string w =
        kHeader + "w.srw\r\nx\r\n" + checkedSection("Ew.bin", "21" + row("04030201").substr(2));
    struct Case {
        std::vector<std::string> options;
        bool unicode;
        std::vector<std::pair<std::string, std::string>> files;
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
        {{}, false, {{"b.sru", kBom + b}}, "lorvex: lib.pbl: a.srw: line 2: byte 0xE7 needs --codepage\n"
         "lorvex: hint: every text that failed for its code page converts in code page 874, 1250, 1251, 1252, "
         "1253, 1254, 1255, 1256, 1257 or 1258: give the right one with --codepage\n"},
        {{"--codepage=936"}, false, {{"b.sru", kBom + b}}, "lorvex: lib.pbl: a.srw: line 2: byte 0xE9 is not "
         "valid in code page 936\nlorvex: hint: every text that failed for its code page converts in code page "
         "874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257 or 1258: give the right one with --codepage\n"},
        {{}, true, {{"lone.srw", kBom + kHeader + "lone.srw\r\n\xEF\xBF\xBD"}, {"w.srw", kBom + w},
                    {"odd.srw", kBom + kHeader + "odd.srw\r\nx\xEF\xBF\xBD"},
                    {"\xC3\xA7.srw", kBom + kHeader + "\xC3\xA7.srw\r\na\xC3\xA9\xE4\xB8\xAD\xF3\xA0\x81\x81"
                                                       "\xE0\xA0\x80\xF0\x90\x80\x80"}}, ""},
        {{"--encoding=hexascii"}, true,
         {{"lone.srw", "HA" + kHeader + "lone.srw\r\n$$HEX1$$fdff$$ENDHEX$$"}, {"w.srw", "HA" + w},
          {"odd.srw", "HA" + kHeader + "odd.srw\r\nx$$HEX1$$fdff$$ENDHEX$$"},
          {"\xC3\xA7.srw", "HA" + kHeader + "$$HEX1$$e700$$ENDHEX$$.srw\r\na$$HEX7$$e9002d4e40db41dc000800d800dc$$ENDHEX$$"}}, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        ASSERT_TRUE(
            buildLibrary(oneNode(c.unicode ? unicode : single, c.unicode)).writeTo("lib.pbl"));
        std::vector<std::string> arguments{"-s", "--object-lists", "-o", "out", "lib.pbl"};
        arguments.insert(arguments.begin() + 1, c.options.begin(), c.options.end());
        const RunResult result = runLorvex(arguments);
        const std::string counts = std::to_string(c.files.size()) +
                                   " written, 0 unchanged, 0 removed" +
                                   (c.errors.empty() ? "" : ", 1 failed");
        EXPECT_EQ(result.exitCode, c.errors.empty() ? 0 : 4);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(result.output, summary("lib.pbl", counts.c_str()));
        std::vector<std::string> names{"lib.pbg"};
        for (const auto& [name, bytes] : c.files) {
            EXPECT_EQ(readFile("out/lib.pbl.src/" + name), bytes);
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(filesIn("out/lib.pbl.src"), names);
        if (!c.unicode) {  // a source that failed, with no file from before, is not listed
            EXPECT_EQ(
                readFile("out/lib.pbl.src/lib.pbg"),
                objectList("lib.pbl", names.size() == 3 ? std::vector<std::string>{"b.sru", "a.srw"}
                                                        : std::vector<std::string>{"b.sru"}));
        }
    }
}

// The environment's own form: a comment on one line, Unicode-era text up to
// its first NUL character, a binary data section after an empty line; -e
// keeps what is stored.
TEST(Sync, CommentsTextAndSectionsAsTheEnvironmentWritesThem) {
    const std::string section = checkedSection("8a.bin", "21" + row("04030201").substr(2));
    const std::string nul(2, '\0');
    struct Case {
        bool unicode;
        std::vector<EntryLayout> entries;
        std::string written, extracted;  // a.srw by -s, and by -e when given
    };
    // clang-format off
    const Case cases[] = {
        {false, {with(entry("a.srw", "x\r\ny\r\nbody"), 4)}, "$PBExportComments$x~r~ny\r\n\r\nbody",
         "$PBExportComments$x\r\ny\r\n\r\nbody"},
        {true, {with(entry("a.srw", wide("x\r\nyz")), 3)}, "$PBExportComments$x~r~n\r\nyz", ""},
        // A NUL character split between blocks, the space before it, and what follows.
        {true, {with(entry("a.srw", wide("ab ") + nul + wide("left")), 0, {5, 11})}, "ab",
         wide("ab ") + nul + wide("left")},
        {true, {entry("a.srw", wide("x\r\n ")), entry("a.bin", "\1\2\3\4")}, "x\r\n \r\n" + section, ""},
        {true, {entry("a.srw", wide("x\r\n")), entry("a.bin", "\1\2\3\4")}, "x\r\n" + section, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        ASSERT_TRUE(buildLibrary(oneNode(c.entries, c.unicode)).writeTo("lib.pbl"));
        EXPECT_EQ(runLorvex({"-s", "-o", "out", "lib.pbl"}).exitCode, 0);
        EXPECT_EQ(readFile("out/lib.pbl.src/a.srw"), kBom + kHeader + "a.srw\r\n" + c.written);
        if (c.extracted.empty()) continue;
        EXPECT_EQ(runLorvex({"-e", "lib.pbl"}).exitCode, 0);
        const std::string header = kHeader + "a.srw\r\n";
        EXPECT_EQ(readFile("a.srw"),
                  c.unicode ? "\xFF\xFE" + wide(header) + c.extracted : header + c.extracted);
    }
}

// Object lists where the tree keeps them, empty libraries, runtime
// libraries, and line ends as git's checkout gives them.
TEST(Sync, ObjectListsEmptyLibrariesAndLineEnds) {
    struct Case {
        const char* setup;
        std::vector<std::string> options;
        int exitCode;
        std::string output, errors;
        std::map<std::string, std::string> files;  // under out
    };
    const std::string x = kBom + kHeader + "x.srw\r\n1\r\n2",
                      y = kBom + kHeader + "y.srw\r\na\rb\r\n";
    const std::string xLf = kBom + kHeader + "x.srw\n1\n2", a = "a.pbl -> out/a.pbl.src: ";
    const std::string e = "e.pbl -> out/e.pbl.src: ",
                      none = "e.pbl: no sources\nr.pbd: no sources\n";
    const std::string aList = objectList("a.pbl", {"x.srw", "y.srw"}),
                      eList = objectList("e.pbl", {});
    const std::string lfHint =
        "lorvex: hint: 1 file differs from what this run writes only in line "
        "ends: --eol=lf writes LF, as git's checkout gives files it converted\n";
    // clang-format off
    const Case cases[] = {
        // Into nothing, no object lists: the form of the current versions.
        {"", {}, 0, a + "2 written, 0 unchanged, 0 removed\n" + none, "",
         {{"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}}},
        {"", {"--object-lists"}, 0, a + "2 written, 0 unchanged, 0 removed\n" + e +
         "0 written, 0 unchanged, 0 removed\nr.pbd: no sources\n", "",
         {{"a.pbl.src/a.pbg", aList}, {"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}, {"e.pbl.src/e.pbg", eList}}},
        // A folder holding its object list: it is kept, and a new folder gets one too.
        {"mkdir -p out/a.pbl.src && touch out/a.pbl.src/a.pbg", {"--prune"}, 0, a +
         "2 written, 0 unchanged, 0 removed\n" + e + "0 written, 0 unchanged, 0 removed\nr.pbd: no sources\n", "",
         {{"a.pbl.src/a.pbg", aList}, {"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}, {"e.pbl.src/e.pbg", eList}}},
        {"mkdir -p out/a.pbl.src && touch out/a.pbl.src/a.pbg", {"--check"}, 5, "write out/a.pbl.src/x.srw\n"
         "write out/a.pbl.src/y.srw\nwrite out/a.pbl.src/a.pbg\nwrite out/e.pbl.src/e.pbg\n", "",
         {{"a.pbl.src/a.pbg", ""}}},
        // An empty library's folder is pruned; without object lists it writes nothing.
        {"mkdir -p out/a.pbl.src out/e.pbl.src && echo 1 >out/a.pbl.src/a.pbg && touch out/e.pbl.src/e.pbg "
         "out/e.pbl.src/z.srw", {"--prune"}, 0, a + "2 written, 0 unchanged, 0 removed\n" + e +
         "0 written, 0 unchanged, 1 removed\nr.pbd: no sources\n", "",
         {{"a.pbl.src/a.pbg", aList}, {"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}, {"e.pbl.src/e.pbg", eList}}},
        {"mkdir -p out/a.pbl.src out/e.pbl.src && echo 1 >out/a.pbl.src/a.pbg && touch out/e.pbl.src/e.pbg "
         "out/e.pbl.src/z.srw", {"--prune", "--no-object-lists"}, 0, a + "2 written, 0 unchanged, 0 removed\n" +
         none, "", {{"a.pbl.src/a.pbg", "1\n"}, {"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y},
                    {"e.pbl.src/e.pbg", ""}, {"e.pbl.src/z.srw", ""}}},
        // A folder without its object list gets none.
        {"mkdir -p out/a.pbl.src out/e.pbl.src/e.pbg", {}, 0, a + "2 written, 0 unchanged, 0 removed\n" + none,
         "", {{"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}}},
        // LF line ends but in a file git takes for binary; a file that differs only in line ends.
        {"", {"--eol=lf"}, 0, a + "2 written, 0 unchanged, 0 removed\n" + none, "",
         {{"a.pbl.src/x.srw", xLf}, {"a.pbl.src/y.srw", y}}},
        {"mkdir -p out/a.pbl.src && printf '\\357\\273\\277$PBExportHeader$x.srw\\n1\\n2' >out/a.pbl.src/x.srw",
         {}, 0, a + "2 written, 0 unchanged, 0 removed\n" + none, lfHint,
         {{"a.pbl.src/x.srw", x}, {"a.pbl.src/y.srw", y}}},
        {"", {"--eol=LF", "--encoding=native"}, 3, "", "lorvex: --eol=lf: does not go with "
         "--encoding=native: its files keep their line ends as stored\n", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        ASSERT_TRUE(buildLibrary(oneNode({entry("x.srw", "1\r\n2"), entry("y.srw", "a\rb\r\n")}))
                        .writeTo("a.pbl"));
        ASSERT_TRUE(buildLibrary(oneNode({})).writeTo("e.pbl") &&
                    buildLibrary(oneNode({})).writeTo("r.pbd"));
        ASSERT_EQ(runShell(c.setup).exitCode, 0);
        std::vector<std::string> arguments{"-s", "-o", "out", "a.pbl", "e.pbl", "r.pbd"};
        arguments.insert(arguments.begin() + 1, c.options.begin(), c.options.end());
        const RunResult result = runLorvex(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(filesUnder("out"), c.files);
    }
}

// What git's text=auto takes for binary, which --eol=lf leaves as it is:
// a lone CR, a NUL, more than one byte in 128 not printable (ESC, BS, TAB
// and FF print; a last DOS end-of-file mark does not count).
TEST(Sync, BinaryAsGitTakesIt) {
    const std::string text(127, 'x');
    const std::pair<std::string, bool> cases[] = {
        {"a\r\nb\n", false},      {"a\rb", true},          {std::string("a\0b", 3), true},
        {text + "\x01", true},    {text + "x\x01", false}, {text + "\x7F", true},
        {"\x1B[1m\b\t\f", false}, {text + "\x1A", false}};
    for (const auto& [bytes, binary] : cases)
        EXPECT_EQ(gitTakesForBinary(bytes), binary) << ::testing::PrintToString(bytes);
}

// Which byte a code page refuses: one the table leaves undefined, one iconv
// refuses, one it turns into a control character, after ASCII.
TEST(Sync, CodePagesSayWhichByteTheyRefuse) {
    // clang-format off
    const std::tuple<unsigned, std::string, std::size_t> cases[] = {
        {1252, "ab\x81", 2}, {936, "ab\xE9 ", 2}, {950, "abc\x80" "de", 3}, {0, "ab\xE9", 2}};
    // clang-format on
    for (const auto& [number, text, at] : cases) {
        SCOPED_TRACE("code page " + std::to_string(number));
        CodePage codePage(number);
        std::u16string units;
        std::size_t invalidAt = 0;
        EXPECT_FALSE(codePage.decode(text, units, invalidAt));
        EXPECT_EQ(invalidAt, at);
    }
}

// Names as a folder that ignores letter case compares them: every character
// in its capital, bytes that are not UTF-8 (a stray byte, an overlong "a") as
// they are.
TEST(Sync, CaseFoldingOfNames) {
    EXPECT_EQ(CaseFolder().fold("a\xC3\xA4\xE1\xBA\xA1\xF0\x90\x90\xA8\xFF\xE0\x81\xA1z"),
              "A\xC3\x84\xE1\xBA\xA0\xF0\x90\x90\x80\xFF\xE0\x81\xA1Z");
}

TEST(Sync, ObjectListsInTheEnvironmentsOrder) {
    std::vector<std::string> names{
        "w_main.srw", "d_list_from.srd", "d_list.srd", "d_graph1.srd", "d_graph_all.srd", "app.sra",
        "f_x.srf",    "m_a.srm",         "u_b.sru",    "S_c.srs",      "D_Graph.srd"};
    std::sort(names.begin(), names.end(), objectListOrder);
    EXPECT_EQ(names,
              (std::vector<std::string>{"app.sra", "D_Graph.srd", "d_graph_all.srd", "d_graph1.srd",
                                        "d_list.srd", "d_list_from.srd", "f_x.srf", "m_a.srm",
                                        "S_c.srs", "u_b.sru", "w_main.srw"}));
}

TEST(Sync, RunsAgainTouchingOnlyWhatChanges) {
    ScopedTempDir dir;
    const std::vector<std::string> sync{"-s", "-o", "out", "lib.pbl", "--prune"};
    BuiltLibrary library = buildLibrary(oneNode(
        {entry("a.srw", "one", 1087556400), entry("b.srw", "two"), entry(".lorvex-a.srw", "3")}));
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    // A dry run into nothing: every file would be written, nothing is.
    const RunResult dry = runLorvex({"-s", "--check", "--object-lists", "-o", "out", "lib.pbl"});
    EXPECT_EQ(dry.output + std::to_string(dry.exitCode),
              "write out/lib.pbl.src/a.srw\nwrite out/lib.pbl.src/b.srw\n"
              "write out/lib.pbl.src/.lorvex-a.srw\nwrite out/lib.pbl.src/lib.pbg\n5");
    // A library folder that links elsewhere is not written through.
    ASSERT_EQ(
        mkdir("out", 0755) | mkdir("elsewhere", 0755) | symlink("../elsewhere", "out/lib.pbl.src"),
        0);
    RunResult result = runLorvex(sync);
    EXPECT_EQ(result.errors,
              "lorvex: lib.pbl: out/lib.pbl.src: is a symbolic link, which is not followed\n");
    EXPECT_EQ(result.output, summary("lib.pbl", "0 written, 0 unchanged, 0 removed, 3 failed"));
    EXPECT_EQ(filesIn("elsewhere").size() + unlink("out/lib.pbl.src"), 0U);
    // Runs after one that wrote the object list keep it up to date.
    EXPECT_EQ(runLorvex({"-s", "--object-lists", "-o", "out", "lib.pbl"}).output,
              summary("lib.pbl", "3 written, 0 unchanged, 0 removed"));
    EXPECT_EQ(readFile("out/lib.pbl.src/lib.pbg"),
              objectList("lib.pbl", {".lorvex-a.srw", "a.srw", "b.srw"}));
    struct stat status {};
    EXPECT_EQ(stat("out/lib.pbl.src/a.srw", &status) == 0 ? status.st_mtime : 0, 1087556400);
    EXPECT_EQ(status.st_mtim.tv_nsec, 0);
    // Only plain files that this tool could have left, or stale exports, go.
    EXPECT_EQ(
        runShell("cd out/lib.pbl.src && echo changed > b.srw && touch o.SRX notes.txt "
                 ".lorvex-b.srw.77-1 .lorvex-lib.pbg.9-0 .lorvex-b.srw.x-y .lorvex-b.srw.1-x && "
                 "mkdir old.srw "
                 ".lorvex-x.srw.1-2")
            .exitCode,
        0);
    EXPECT_EQ(runLorvex({"-s", "--check", "-o", "out", "lib.pbl", "--prune"}).output,
              "write out/lib.pbl.src/b.srw\nremove out/lib.pbl.src/.lorvex-b.srw.77-1\n"
              "remove out/lib.pbl.src/.lorvex-lib.pbg.9-0\nremove out/lib.pbl.src/o.SRX\n");
    EXPECT_EQ(runLorvex(sync).output, summary("lib.pbl", "1 written, 2 unchanged, 1 removed"));
    EXPECT_EQ(filesIn("out/lib.pbl.src"),
              (std::vector<std::string>{".lorvex-a.srw", ".lorvex-b.srw.1-x", ".lorvex-b.srw.x-y",
                                        ".lorvex-x.srw.1-2", "a.srw", "b.srw", "lib.pbg",
                                        "notes.txt", "old.srw"}));
    const RunResult check = runLorvex({"-s", "--check", "-o", "out", "lib.pbl"});
    EXPECT_EQ(check.exitCode + check.output.size() + check.errors.size(), 0U);
    // A source that can no longer be read keeps its last good export.
    library.truncateTo(library.block(0, 1, 0) + 8);
    ASSERT_TRUE(library.writeTo("lib.pbl"));
    result = runLorvex(sync);
    EXPECT_EQ(result.output, summary("lib.pbl", "0 written, 1 unchanged, 0 removed, 2 failed"));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(readFile("out/lib.pbl.src/b.srw"), kBom + kHeader + "b.srw\r\ntwo");
    EXPECT_EQ(readFile("out/lib.pbl.src/lib.pbg"),
              objectList("lib.pbl", {".lorvex-a.srw", "a.srw", "b.srw"}));
    EXPECT_EQ(runLorvex({"-s", "--check", "-o", "out", "lib.pbl"}).exitCode, 4);
}

TEST(Sync, WorkspacesTargetsAndTheirFolders) {
    ScopedTempDir dir;
    ASSERT_EQ(runShell("mkdir -p shared w/app/t/lib w/shared w/app/t/amb w/app/t/AMB").exitCode, 0);
    for (const char* path : {"shared/s.pbl", "w/shared/s.pbl", "w/app/t/lib/ua.pbl",
                             "w/app/t/rt.PBD", "w/app/t/cl.pbd"})
        ASSERT_TRUE(buildLibrary(oneNode({entry("x.srw", path)})).writeTo(path));
    ASSERT_TRUE(buildLibrary(oneNode({entry("x.srw", "")}))
                    .writeTo("w/app/t/\xC3\xA9\xF0\x9F\x98\x80.pbl"));
    // Any line ends, a byte order mark, the keyword in any case, "\\" for a
    // backslash, a path in other letter case than the disk's.
    std::ofstream("w/app/app.pbw")
        << kBom +
               "Save Format v3.0(19990112)\r@begin Targets\r 0 "
               "\"T\\\\App.pbt\";\r 1 \"no.pbt\";\r@end;\r"
               "DefaultExportEncode \"ANSI\";\rDefaultTarget \"t\\\\gone.pbt\";\r";
    // The list first after a byte order mark; a single backslash is one too,
    // also before a "u" that starts no escape;
    // "\uXXXX" is a UTF-16 unit; a runtime library is exported only when the
    // command line names it too.
    std::ofstream("w/app/t/app.pbt")
        << kBom +
               "LibList \"lib\\\\ua.pbl;..\\\\..\\\\..\\\\shared\\\\s.pbl;lib\\ua.pbl;gone.pbl;"
               "rt.PBD;cl.pbd;\\u00E9\\ud83d\\uDE00.pbl;Amb\\\\x.pbl;bad\\u0000.pbl;\\ud83d.pbl\";"
               "\n"
               "appname \"app\";\n";
    ASSERT_EQ(chdir("w"), 0);
    const RunResult result =
        runLorvex({"-s", "-o", "ws", "app/app.pbw", "shared/s.pbl", "app/t/cl.pbd"});
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(
        result.output,
        "app/t/lib/ua.pbl -> ws/app/t/lib/ua.pbl.src: 1 written, 0 unchanged, 0 removed\n"
        "app/t/../../../shared/s.pbl -> ws/shared/s.pbl.src: 1 written, 0 unchanged, 0 removed\n"
        "app/t/gone.pbl: not exported\napp/t/rt.PBD: runtime library, not exported\n"
        "app/t/cl.pbd -> ws/app/t/cl.pbd.src: 1 written, 0 unchanged, 0 removed\n"
        "app/t/\xC3\xA9\xF0\x9F\x98\x80.pbl -> ws/app/t/\xC3\xA9\xF0\x9F\x98\x80.pbl.src: 1 "
        "written, "
        "0 unchanged, 0 removed\napp/t/Amb/x.pbl: not exported\napp/t/bad\\u0000.pbl: not "
        "exported\napp/t/\\ud83d.pbl: not exported\nshared/s.pbl: not exported\n");
    EXPECT_EQ(
        result.errors,
        "lorvex: app/app.pbw: DefaultExportEncode \"ANSI\" is not followed: the sources are "
        "written as utf8 (choose with --encoding)\n"
        "lorvex: app/app.pbw: no.pbt: cannot read the target file: No such file or directory\n"
        "lorvex: app/t/app.pbt: gone.pbl: cannot open: No such file or directory\n"
        "lorvex: app/t/app.pbt: Amb\\x.pbl: its part Amb matches AMB and amb, which differ only "
        "in letter case\nlorvex: app/t/app.pbt: bad\\u0000.pbl: its \\u0000 is not a character a "
        "path can hold\nlorvex: app/t/app.pbt: \\ud83d.pbl: its \\ud83d is half of a character, "
        "without its second half\nlorvex: shared/s.pbl: its folder ws/shared/s.pbl.src is that of "
        "app/t/../../../shared/s.pbl; not exported\n");
    EXPECT_EQ(readFile("w/ws/shared/s.pbl.src/x.srw"), kBom + kHeader + "x.srw\r\nshared/s.pbl");
    EXPECT_EQ(filesIn("w/ws/app/t/lib/ua.pbl.src"), std::vector<std::string>{"x.srw"});
    // An absolute path is taken relative to the current folder.
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(runLorvex({"-s", "-o", "abs", std::string(here) + "/w/app/t/lib/ua.pbl"}).output,
              std::string(here) +
                  "/w/app/t/lib/ua.pbl -> abs/w/app/t/lib/ua.pbl.src: 1 written, 0 "
                  "unchanged, 0 removed\n");
}

// Libraries that would write where another one does, decided before anything
// is written, so that a dry run says what a run does: the later one fails.
// Files the run reads stay, whatever it made of them; names too long, and
// folder names with control characters, fail as well.
TEST(Sync, ClashesDecidedBeforeAnyWrite) {
    struct Case {
        std::vector<std::string> arguments;
        bool ignoresCase;  // the folders' answer, in place of a mount that ignores case
        std::string output, errors;
    };
    const std::string written = " written, 0 unchanged, 0 removed",
                      euros = repeat("\xE2\x82\xAC", 95);
    // clang-format off
    const Case cases[] = {
        {{"--prune", "lib.pbl", "lib.pbl.src/x.pbl", "w.pbw"}, false, "lib.pbl -> out/lib.pbl.src: 3" + written +
         "\nlib.pbl.src/x.pbl: not exported\n", "lorvex: w.pbw: out\\lib.pbl.src\\notes.srw: no LibList line in the "
         "target file\nlorvex: lib.pbl: notes.srw: not removed: it is a file this run reads\nlorvex: lib.pbl.src/x.pbl: "
         "its folder out/lib.pbl.src/x.pbl.src is a file of lib.pbl; not exported\n"},
        {{"--object-lists", "lib.pbl", "lib.pbl.src/lib.pbg/x.pbl"}, false, "lib.pbl -> out/lib.pbl.src: 3" +
         written + "\nlib.pbl.src/lib.pbg/x.pbl: not exported\n", "lorvex: lib.pbl.src/lib.pbg/x.pbl: its folder "
         "out/lib.pbl.src/lib.pbg is a file of lib.pbl; not exported\n"},
        {{"lib.pbl.src/x.pbl", "lib.pbl"}, false, "lib.pbl.src/x.pbl -> out/lib.pbl.src/x.pbl.src: 1" + written +
         "\nlib.pbl: not exported\n", "lorvex: lib.pbl: its file out/lib.pbl.src/x.pbl.src is a folder of "
         "lib.pbl.src/x.pbl; not exported\n"},
        {{"lib.pbl", "A/l.pbl", "a/l.pbl"}, true, "lib.pbl -> out/lib.pbl.src: 2" + written + ", 1 failed\n"
         "A/l.pbl -> out/A/l.pbl.src: 1" + written + "\na/l.pbl: not exported\n",
         "lorvex: lib.pbl: W_A.srw: its file name W_A.srw is that of the earlier source w_a.srw\n"
         "lorvex: a/l.pbl: its folder out/a/l.pbl.src is that of A/l.pbl; not exported\n"},
        {{"--codepage=1252", "a\x1b.pbl", "long.pbl"}, false, "a\\x1b.pbl: not exported\nlong.pbl -> "
         "out/long.pbl.src: 0" + written + ", 1 failed\n", "lorvex: a\\x1b.pbl: its folder out/a\\x1b.pbl.src: its "
         "name holds a control character; not exported\nlorvex: long.pbl: " + euros + ".srw: its file name is "
         "longer than the 233 bytes a source's name may have here\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        ASSERT_EQ(runShell("mkdir -p A a lib.pbl.src/lib.pbg out/lib.pbl.src && echo x "
                           ">out/lib.pbl.src/notes.srw")
                      .exitCode,
                  0);
        const BuiltLibrary one = buildLibrary(oneNode({entry("a.srw", "1")}));
        ASSERT_TRUE(one.writeTo("lib.pbl.src/x.pbl") && one.writeTo("lib.pbl.src/lib.pbg/x.pbl") &&
                    one.writeTo("A/l.pbl") && one.writeTo("a/l.pbl") && one.writeTo("a\x1b.pbl"));
        ASSERT_TRUE(buildLibrary(oneNode({entry("x.pbl.src", "1"), entry("w_a.srw", "2"),
                                          entry("W_A.srw", "3")}))
                        .writeTo("lib.pbl"));
        ASSERT_TRUE(buildLibrary(oneNode({entry(std::string(95, '\x80') + ".srw", "4")}))
                        .writeTo("long.pbl"));
        std::ofstream("w.pbw")
            << "@begin Targets\n 0 \"out\\\\lib.pbl.src\\\\notes.srw\";\n@end;\n";
        for (const bool dryRun : {true, false}) {
            SyncOptions options;
            OptionProblem problem;
            std::vector<std::string> arguments = c.arguments;
            if (dryRun) arguments.insert(arguments.begin(), "--check");
            ASSERT_TRUE(parseSyncOptions(arguments, options, problem));
            options.output = "out";
            const RunResult result = captured([&](std::FILE* out, std::FILE* errors) {
                return exitCodeOf(
                    syncSources(options, out, errors, platform::CaseProbe{c.ignoresCase}));
            });
            EXPECT_EQ(result.exitCode, 4);
            EXPECT_EQ(result.errors, c.errors);
            EXPECT_EQ(result.output, dryRun ? result.output : c.output);
        }
        EXPECT_EQ(readFile("out/lib.pbl.src/notes.srw"), "x\n");
    }
}

// Faults a hostile review found: each must end in a clear message, never in a
// lost, doubled or misplaced file.
TEST(Sync, NeverLosesOrDoublesAFile) {
    struct Case {
        std::vector<EntryLayout> entries;
        bool unicode;
        const char* setup;  // shell commands run before
        std::vector<std::string> arguments;
        int exitCode;
        std::string output, errors;
        std::vector<std::string> files;  // in out/lib.pbl.src
        void (*damage)(BuiltLibrary&) = nullptr;
        std::vector<const char*> locked = {};  // folders another run holds
    };
    const std::string ok = "lib.pbl -> out/lib.pbl.src: ";
    // clang-format off
    const Case cases[] = {
        // Names that one code page turns into one, and names in two letter cases (a distinct file here).
        {{entry("\x87\x90.srw", "1"), entry("\x81\xE0.srw", "2"), entry("a.srw", "3"), entry("A.srw", "4")}, false,
         "mkdir -p out/LIB.PBL.SRC", {"--codepage=932"}, 4, ok + "3 written, 0 unchanged, 0 removed, 1 failed\n",
         "lorvex: lib.pbl: \\x81\\xe0.srw: its file name \xE2\x89\x92.srw is that of the earlier source "
         "\\x87\\x90.srw\n", {"A.srw", "a.srw", "lib.pbg", "\xE2\x89\x92.srw"}},
        // Control characters and characters that turn the direction of text.
        {{entry("\xC2\x85.srw", "1"), entry("a\xE2\x80\xAE" "b.srw", "2"), entry("c\xE2\x80\x8E.srw", "3"),
          entry("\xD8\x9C.srw", "4"), entry("\xD8\xA7\xC5\x9C.srw", "5"), entry("a b.srw", "6")}, true, "", {},
         4, ok + "2 written, 0 unchanged, 0 removed, 4 failed\n",
         "lorvex: lib.pbl: \\xc2\\x85.srw: its name holds a control character\nlorvex: lib.pbl: a\\xe2\\x80\\xae"
         "b.srw: its name holds a character that changes the direction of text\nlorvex: lib.pbl: c\\xe2\\x80\\x8e.srw: "
         "its name holds a character that changes the direction of text\nlorvex: lib.pbl: \\xd8\\x9c.srw: its name "
         "holds a character that changes the direction of text\n", {"a b.srw", "lib.pbg", "\xD8\xA7\xC5\x9C.srw"}},
        // A turn of direction a code page makes of a byte (0xFD in 1255).
        {{entry("a\xFD.srw", "1"), entry("b.srw", "2")}, false, "", {"--codepage=1255"}, 4,
         ok + "1 written, 0 unchanged, 0 removed, 1 failed\n", "lorvex: lib.pbl: a\\xe2\\x80\\x8e.srw: its name "
         "holds a character that changes the direction of text\n", {"b.srw", "lib.pbg"}},
        // A name no code page was given for: nothing is pruned, since its file is not known.
        {{entry("\xE9.srw", "1"), entry("a.srw", "2")}, false, "mkdir -p out/lib.pbl.src && touch out/lib.pbl.src/old.srw",
         {"--prune"}, 4, ok + "1 written, 0 unchanged, 0 removed, 1 failed\n",
         "lorvex: lib.pbl: \\xe9.srw: its name: byte 0xE9 needs --codepage\nlorvex: lib.pbl: out/lib.pbl.src: not pruned: "
         "the names of some sources are not known\nlorvex: hint: every text that failed for its code page converts in "
         "code page 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257 or 1258: give the right one with --codepage\n",
         {"a.srw", "old.srw"}},
        // Sources sharing their companion each carry it.
        {{entry("a.srw", "1"), entry("a.srd", "2"), entry("a.bin", "BIN!")}, false, "", {}, 0,
         ok + "2 written, 0 unchanged, 0 removed\n", "", {"a.srd", "a.srw", "lib.pbg"}},
        // A companion is shown by three sources at most; sources share no blocks.
        {{entry("a.srw", "1"), entry("a.srd", "2"), entry("a.sru", "3"), entry("A.srw", "4"), entry("a.bin", "BIN!")},
         false, "", {}, 4, ok + "3 written, 0 unchanged, 0 removed, 1 failed\n", "lorvex: lib.pbl: A.srw: its "
         "compiled companion is shown by three sources already\n", {"a.srd", "a.sru", "a.srw", "lib.pbg"}},
        {{entry("a.srw", "1"), entry("b.srw", "2")}, false, "", {}, 4, ok + "1 written, 0 unchanged, 0 removed, "
         "1 failed\n", "lorvex: lib.pbl: b.srw: data block at 1120 was read before: the chain loops or shares "
         "blocks with another\n", {"a.srw", "lib.pbg"}, [](BuiltLibrary& l) {
             l.setField(0, 1, BuiltLibrary::kFirstBlock, l.block(0, 0, 0)); }},
        // A library the run reads where an export goes stays.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src && cp lib.pbl out/lib.pbl.src/a.srw",
         {"out/lib.pbl.src/a.srw"}, 4, ok + "0 written, 0 unchanged, 0 removed, 1 failed\nout/lib.pbl.src/a.srw -> "
         "out/out/lib.pbl.src/a.srw.src: 1 written, 0 unchanged, 0 removed\n",
         "lorvex: lib.pbl: a.srw: is a file this run reads\n", {"a.srw", "lib.pbg"}},
        // Nor one the run could not open.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src && echo kept >out/lib.pbl.src/a.srw && "
         "chmod 000 out/lib.pbl.src/a.srw", {"out/lib.pbl.src/a.srw"}, 4, ok + "0 written, 0 unchanged, 0 removed, "
         "1 failed\nout/lib.pbl.src/a.srw: not exported\n", "lorvex: lib.pbl: a.srw: is a file this run reads\n"
         "lorvex: out/lib.pbl.src/a.srw: cannot open: Permission denied\n", {"a.srw", "lib.pbg"}},
        // Two texts that need a code page, and a target that is a folder: one hint for both.
        {{entry("a.srw", "\xE9"), entry("b.srw", "\x81")}, false, "mkdir d.pbt", {"d.pbt"}, 4,
         ok + "0 written, 0 unchanged, 0 removed, 2 failed\n", "lorvex: d.pbt: cannot read the target file: is not "
         "a regular file\nlorvex: lib.pbl: a.srw: line 2: byte 0xE9 needs --codepage\nlorvex: lib.pbl: b.srw: line "
         "2: byte 0x81 needs --codepage\nlorvex: hint: every text that failed for its code page converts in code page "
         "1251 or 1256: give the right one with --codepage\n", {"lib.pbg"}},
        // A name whose extension its cut to 99 bytes loses.
        {{entry(std::string(97, 'a') + ".srw", "1"), entry("ok.srw", "2")}, false, "", {}, 4,
         ok + "1 written, 0 unchanged, 0 removed, 1 failed\n", "lorvex: lib.pbl: " + std::string(97, 'a') +
         ".s: its name, cut to 99 bytes, no longer ends in .sr?\n", {"lib.pbg", "ok.srw"}},
        // A companion whose chain runs into another's: one section a block.
        {{entry("w.srw", "1"), entry("w.bin", "BIN!"), entry("v.srw", "2"), entry("v.bin", "x")}, false, "", {}, 4,
         ok + "1 written, 0 unchanged, 0 removed, 1 failed\n",
         "lorvex: lib.pbl: v.srw: its compiled companion shares data blocks with another companion\n",
         {"lib.pbg", "w.srw"}, [](BuiltLibrary& l) { l.setNextBlock(0, 3, 0, l.block(0, 1, 0)); }},
        // A link where an export goes stays a link.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src && ln -s ../../x out/lib.pbl.src/a.srw", {}, 4,
         ok + "0 written, 0 unchanged, 0 removed, 1 failed\n",
         "lorvex: lib.pbl: a.srw: is not a plain file but a link, a folder or a pipe, which stays\n",
         {"a.srw", "lib.pbg"}},
        // A library the run reads is never pruned.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src && cp lib.pbl out/lib.pbl.src/lib.srw",
         {"--prune", "out/lib.pbl.src/lib.srw"}, 4,
         ok + "1 written, 0 unchanged, 0 removed\nout/lib.pbl.src/lib.srw -> "
         "out/out/lib.pbl.src/lib.srw.src: 1 written, 0 unchanged, 0 removed\n",
         "lorvex: lib.pbl: lib.srw: not removed: it is a file this run reads\n", {"a.srw", "lib.pbg", "lib.srw"}},
        // A stale name that is one file with a source's, as on a file system that folds names further.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src && printf '\\357\\273\\277$PBExportHeader$a.srw\\r\\n1' "
         ">out/lib.pbl.src/a.srw && ln out/lib.pbl.src/a.srw out/lib.pbl.src/old.srw", {"--prune"}, 0,
         ok + "0 written, 1 unchanged, 0 removed\n", "", {"a.srw", "lib.pbg", "old.srw"}},
        // An output folder that is a file.
        {{entry("a.srw", "1")}, false, "touch out", {}, 2, "", "lorvex: out: is not a folder\n", {}},
        // A run waits for other runs: one into the same folder, one into the library's folder.
        {{entry("a.srw", "1")}, false, "mkdir -p out/lib.pbl.src", {}, 0, ok + "1 written, 0 unchanged, 0 removed\n",
         "lorvex: out: waiting for another run into it to end\nlorvex: out/lib.pbl.src: waiting for another run "
         "into it to end\n", {"a.srw", "lib.pbg"}, nullptr, {"out", "out/lib.pbl.src"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScopedTempDir dir;
        BuiltLibrary library = buildLibrary(oneNode(c.entries, c.unicode));
        if (c.damage != nullptr) c.damage(library);
        ASSERT_TRUE(library.writeTo("lib.pbl"));
        ASSERT_EQ(runShell(c.setup).exitCode, 0);
        std::vector<std::string> arguments{"-s", "--object-lists", "-o", "out", "lib.pbl"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        std::list<HeldLock> held(c.locked.begin(), c.locked.end());
        const WithoutPermissionOverride asAnyUser;
        const RunResult result = runLorvex(arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(filesIn("out/lib.pbl.src"), c.files);
    }
}

}  // namespace
}  // namespace lorvex::testing
