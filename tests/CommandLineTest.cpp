// The command line: exit codes, messages on both streams, listings byte for
// byte, the real binary end to end, and the inputs the fuzzer failed on.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "examples/SampleLibrary.h"
#include "fuzz/EveryCommand.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

// A listing line of an entry saved at 1970-01-01 00:00:00 UTC.
std::string line(const std::string& name, const char* size) {
    return name + std::string(name.size() < 50 ? 50 - name.size() : 0, ' ') + size +
           " 01.01.1970 00:00:00\n";
}

TEST(CommandLine, ExitCodesMessagesAndListings) {
    const std::string usage =
        "USAGE: lorvex <switch> <library_file> [library_entries ...]\n Switches are: \n"
        "\t-v\tlist entries\n\t-e\textract entries\n\t-t\tcheck entries\n"
        "\t-s\texport the sources of libraries into folders (see lorvex(1))\n";
    const std::string openError = "File open error or wrong format!\n",
                      heading = "Listing entries...\n--\n";
    setenv("TZ", "UTC", 1);
    tzset();
    ScopedTempDir dir;
    std::string cedillas;
    for (int i = 0; i < 60; ++i) cedillas += "\xC3\xA7";
    // clang-format off
    const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87.srw", smile = "\xF0\x9F\x98\x80.srw";
    BuiltLibrary seven = buildLibrary(oneNode({})), rootless = seven, cut = buildLibrary(oneNode(
        {entry("b.srw", "ok"), entry("\xC3\xA7\n\x1B\xFF.win", std::string(1000, 'a')), entry("taken.win", ""),
         entry("alias.win", ""), entry("link.win", ""), entry("hard.win", "")}));
    seven.bytes.resize(7);       // too short for the trailer probe
    rootless.bytes.resize(600);  // the root node lies past the end
    const std::string block = std::to_string(cut.blockOffsets[0][1][1]);
    BuiltLibrary lost = buildLibrary(LibraryLayout{{NodeLayout{{entry("a.win", "")}, -1, 1}, NodeLayout{{entry("b.win", "")}}}});
    lost.put32(lost.recordOffsets[1][0], 0);  // the second node's record has no "ENT*"
    ASSERT_TRUE(cut.writeTo("lib.pbl"));
    cut.bytes.resize(cut.blockOffsets[0][1][1] + 100);
    const std::pair<const char*, BuiltLibrary> libraries[] = {
        {"sample.pbl", buildLibrary(sampleLibrary())}, {"seven", seven}, {"rootless", rootless}, {"cut", cut},
        {"lost.pbl", lost}, {"copy.pbg", buildLibrary(oneNode({}))},
        {"empty.pbl", buildLibrary(oneNode({}))},
        {"list.pbl", buildLibrary(oneNode({entry("w_main.srw", std::string(100, 'x')),
                                           with(entry("app.sra", std::string(40, 'y'), 1087556400), 4),
                                           entry("w_main.win", std::string(77, 'z'), 951782400),
                                           entry("C:\\img\\logo.bmp", "BM", 1), entry(std::string(48, 'w') + ".srw", ""),
                                           entry("first", "", 0x80000000U), entry("last", "", 0xFFFFFFFFU)}))},
        {"unicode.pbl", buildLibrary(oneNode(
            {entry("\xC3\xA7.win", "raw"), with(entry(chinese, wide("abcX\r\n")), 3),
             EntryLayout{"", {}, 0, 0, {}, Bytes{0x3D, 0xD8, 0x00, 0xDE, '.', 0, 's', 0, 'r', 0, 'w', 0, 0, 0}},
             // Pairs at both ends of the surrogate range, a lone low surrogate, the characters around the range.
             EntryLayout{"", {}, 0, 0, {}, Bytes{0x00, 0xD8, 0x00, 0xDC, 0xFF, 0xDB, 0xFF, 0xDF, 0xFF, 0xDF,
                                                 0x00, 0xE0, 0xFF, 0xD7, 0, 0}},
             entry(cedillas, ""), entry("C:\\img\\\xC3\xA7.bmp", "img"),
             EntryLayout{"", {}, 0, 0, {}, Bytes{'z', 0, 0, 0, 'q', 0, 0, 0}},  // a name ends at a zero unit
             EntryLayout{"", {}, 0, 0, {}, Bytes{'o', 0, 'd', 0, 0}}, entry("never.win", "")},  // an odd length ends it
            true))},
    };
    for (const auto& [name, library] : libraries) ASSERT_TRUE(library.writeTo(name));
    std::ofstream("outside") << "kept";
    ASSERT_EQ(mkdir("taken.win", 0755) | link("lib.pbl", "alias.win") | symlink("outside", "link.win") |
                  link("outside", "hard.win") | mkfifo("fifo", 0644), 0);
    const std::string listing = runLorvex({"-v", "sample.pbl"}).output;
    EXPECT_EQ(listing.substr(listing.size() - 19), "\nTotal objects: 16\n");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string output, errors;
    };
    const Case cases[] = {
        {{}, 1, usage, ""}, {{"-v"}, 1, usage, ""}, {{"-x"}, 1, usage, ""}, {{"-s", "-o", "out"}, 1, usage, ""},
        {{"-x", "/nonexistent/lib.pbl"}, 3, "Unknown command line switch: -x\n", ""},
        {{"--v", "sample.pbl"}, 3, "Unknown command line switch: --v\n", ""},
        {{"-S", "--prune", "--encoding=utf16", "sample.pbl"}, 3, "", "lorvex: --encoding=utf16: takes utf8, hexascii or native\n"},
        {{"-s", "sample.pbl", "--codepage", "65001"}, 3, "", "lorvex: --codepage: takes one of the code pages 874, 932, "
                                                                "936, 949, 950 and 1250 to 1258\n"},
        {{"-s", "--pruned", "sample.pbl"}, 3, "Unknown command line switch: --pruned\n", ""},
        {{"-V", "sample.pbl", "ignored"}, 0, listing, ""},
        {{"-v", "empty.pbl"}, 0, heading + "--\nTotal objects: 0\n", ""},
        {{"-v", "list.pbl"}, 0, heading + line("w_main.srw", "000000128") +
            "app.sra                                           000000085 18.06.2004 11:00:00\n"
            "PCODE\\w_main.win                                  000000077 29.02.2000 00:00:00\n"
            "RESOURCES\\C:\\img\\logo.bmp                         000000002 01.01.1970 00:00:01\n" +
            std::string(48, 'w') + ".srw000000070 01.01.1970 00:00:00\n"
            "PCODE\\first                                       000000000 19.01.2038 03:14:08\n"
            "PCODE\\last                                        000000000 07.02.2106 06:28:15\n"
            "--\nTotal objects: 7\n", ""},
        {{"-v", "unicode.pbl"}, 0, heading + line("PCODE\\\xC3\xA7.win", "000000003") + line(chinese, "000000102") +
            line(smile, "000000050") +
            line("PCODE\\\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xEE\x80\x80\xED\x9F\xBF", "000000000") +
            line("PCODE\\" + cedillas.substr(0, 92), "000000000") +
            line("RESOURCES\\C:\\img\\\xC3\xA7.bmp", "000000003") + line("PCODE\\z", "000000000") +
            "--\nTotal objects: 7\n", ""},
        {{"-T", "sample.pbl"}, 0, "Checked 16 entries: 16 intact\n", ""},
        {{"-t", "cut"}, 4, "PCODE\\\xC3\xA7\\n\\x1b\\xff.win: data block at " + block + " cannot be read: the library is truncated\n"
                           "Checked 6 entries: 1 damaged\n", "lorvex: cut: 1 damaged, as listed above\n"},
        {{"-t", "lost.pbl"}, 4, "directory: the record at " + std::to_string(lost.recordOffsets[1][0]) +
                                " has no \"ENT*\": entries may be missing\nChecked 1 entries: 1 damaged\n",
         "lorvex: lost.pbl: 1 damaged, as listed above\n"},
        {{"-s", "lost.pbl", "copy.pbg"}, 4,
         "lost.pbl -> ./lost.pbl.src: 0 written, 0 unchanged, 0 removed\n"
         "copy.pbg -> ./copy.pbg.src: 0 written, 0 unchanged, 0 removed\n",
         "lorvex: lost.pbl: directory: the record at " + std::to_string(lost.recordOffsets[1][0]) +
         " has no \"ENT*\": sources may be missing; nothing pruned\n"
         "lorvex: copy.pbg: copy.pbg: is a library this run reads\n"},
        {{"-E", "sample.pbl", "no\tthing\r\x7F"}, 0, "", "lorvex: no\\tthing\\r\\x7f: not found in sample.pbl\n"},
        {{"-e", "sample.pbl", "sample.pbl", "*.*"}, 0, "",
         "lorvex: hint: sample.pbl is a library too, but only one library is read per run: the names after "
         "it are entry names\nlorvex: sample.pbl: not found in sample.pbl\nlorvex: *.*: not found in sample.pbl\n"},
        {{"-e", "lib.pbl", "PCODE\\taken.win", "b.srw"}, 4, "Extracting \"PCODE\\taken.win\"\n",
         "lorvex: taken.win: cannot create: Is a directory\n"},
        {{"-e", "lib.pbl", "PCODE\\alias.win"}, 4, "Extracting \"PCODE\\alias.win\"\n",
         "lorvex: alias.win: cannot create: is the library being read\n"},
        {{"-e", "lib.pbl", "PCODE\\link.win"}, 4, "Extracting \"PCODE\\link.win\"\n",
         "lorvex: link.win: cannot create: is a symbolic link\n"},
        {{"-e", "lib.pbl", "PCODE\\hard.win"}, 4, "Extracting \"PCODE\\hard.win\"\n",
         "lorvex: hard.win: cannot create: has other hard links, which would change too\n"},
        {{"-e", "lib.pbl", "fifo"}, 0, "", "lorvex: fifo: not found in lib.pbl\n"},
        {{"-v", "fifo"}, 2, openError, "lorvex: fifo: cannot open: is not a regular file\n"},
        {{"-v", "/nonexistent/lib.pbl"}, 2, openError,
         "lorvex: /nonexistent/lib.pbl: cannot open: No such file or directory\n"},
        {{"-t", "."}, 2, openError, "lorvex: .: cannot open: Is a directory\n"},
        {{"-e", "seven"}, 2, openError, "lorvex: seven: not a library: only 7 bytes long\n"},
        {{"-v", "rootless"}, 2, openError, "lorvex: rootless: not a library: its root node cannot be read\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        RunResult result = runLorvex(c.arguments);
        if (c.exitCode == 1 && result.output.rfind("Lorvex 1.0.5 ", 0) == 0)
            result.output.erase(0, result.output.find('\n') + 1);  // the banner
        EXPECT_EQ(result.exitCode, c.exitCode) << c.output;
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errors, c.errors);
    }
    EXPECT_EQ(readFile("outside") + std::to_string(filesIn(".").size()), "kept18");
    // The real binary, with standard output that cannot be written and with
    // export files that cannot grow past 512 bytes.
    const std::string lorvex = LORVEX_BINARY;
    EXPECT_EQ(runShell(lorvex + " -v sample.pbl").output, listing);
    EXPECT_EQ(runShell(lorvex + " -v sample.pbl >/dev/full").exitCode, 4);
    EXPECT_EQ(runShell("trap '' XFSZ; ulimit -f 1; " + lorvex + " -e sample.pbl").exitCode, 4);
    EXPECT_EQ(runShell(lorvex + " -e sample.pbl").exitCode, 0);
    EXPECT_TRUE(readFile(std::string(LORVEX_SOURCE_DIR) + "/examples/sample.pbl") ==
                readFile("sample.pbl"))
        << "regenerate with: make_sample examples/sample.pbl";
}

// Every input that ever made the fuzzer fail, through the fuzzer's commands.
TEST(CommandLine, FuzzRegressionsStayWithinTheirBounds) {
    const std::string folder = std::string(LORVEX_SOURCE_DIR) + "/fuzz/regressions/";
    ScopedTempDir dir;
    const std::vector<std::string> inputs = filesIn(folder);
    EXPECT_FALSE(inputs.empty());
    for (const std::string& name : inputs)
        EXPECT_EQ(fuzz::runEveryCommand(readFile(folder + name), std::filesystem::current_path()),
                  "")
            << name;
}

}  // namespace
}  // namespace lorvex::testing
