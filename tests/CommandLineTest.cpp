// The command line: exit codes, messages on both streams, listings byte for
// byte, the real binary end to end, and the inputs the fuzzer failed on.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "cli/SyncOptions.h"
#include "cli/Version.h"
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

const std::string kUsage =
    "Lorvex " LORVEX_VERSION
    " - lists and extracts the entries of library files\n"
    "USAGE: lorvex <switch> <library_file> [library_entries ...]\n Switches are: \n"
    "\t-v\tlist entries\n\t-e\textract entries\n\t-t\tcheck entries\n"
    "\t-s\texport the sources of libraries into folders (see lorvex(1))\n";
const std::string kOpenError = "File open error or wrong format!\n";
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87.srw", kCedillas = repeat("\xC3\xA7", 60);

struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string output, errors;
};

// The libraries the tests use, by the name each is written under.
BuiltLibrary library(const std::string& name) {
    // clang-format off
    if (name == "sample.pbl") return buildLibrary(sampleLibrary());
    if (name == "list.pbl")
        return buildLibrary(oneNode({entry("w_main.srw", std::string(100, 'x')), with(entry("app.sra", std::string(40, 'y'),
            1087556400), 4), entry("w_main.win", std::string(77, 'z'), 951782400), entry("C:\\img\\logo.bmp", "BM", 1),
            entry(std::string(48, 'w') + ".srw", ""), entry("first", "", 0x80000000U), entry("last", "", 0xFFFFFFFFU)}));
    if (name == "unicode.pbl")
        return buildLibrary(oneNode({entry("\xC3\xA7.win", "raw"), with(entry(kChinese, wide("abcX\r\n")), 3),
            EntryLayout{"", {}, 0, 0, {}, Bytes{0x3D, 0xD8, 0x00, 0xDE, '.', 0, 's', 0, 'r', 0, 'w', 0, 0, 0}},
            // Pairs at both ends of the surrogate range, a lone low surrogate, the characters around the range.
            EntryLayout{"", {}, 0, 0, {}, Bytes{0x00, 0xD8, 0x00, 0xDC, 0xFF, 0xDB, 0xFF, 0xDF, 0xFF, 0xDF, 0x00, 0xE0,
                                                0xFF, 0xD7, 0, 0}},
            entry(kCedillas, ""), entry("C:\\img\\\xC3\xA7.bmp", "img"),
            EntryLayout{"", {}, 0, 0, {}, Bytes{'z', 0, 0, 0, 'q', 0, 0, 0}},  // a name ends at a zero unit
            EntryLayout{"", {}, 0, 0, {}, Bytes{'o', 0, 'd', 0, 0}}, entry("never.win", "")}, true));  // so does an odd length
    if (name == "wide\xFF.pbl")  // a C1 control and a lone surrogate in comments, a path not UTF-8
        return buildLibrary(oneNode({with(entry("\xC3\xA7.srw", wide("h\x85x")), 2),
                                     with(entry("b.srw", std::string("\0\xD8zz", 4)), 1)}, true));
    if (name == "scripts.pbl") {
        BuiltLibrary scripts = buildLibrary(oneNode({entry("w.srw", "src"), entry("w.bin", "BIN!", 9),
            with(entry("caf\xE9.srw", "\xE9t\xE9" "data"), 3), entry("caf\xE9.bin", "B"),
            with(entry("C:\\a\tb.bmp", "q\"\\\t\n\r\x1Bx"), 7), with(entry("gone.win", "zz"), 2)}));
        scripts.setField(0, 5, BuiltLibrary::kFirstBlock, 0x10000000);  // its comment's block lies past the end
        return scripts;
    }
    if (name == "lost.pbl") {
        BuiltLibrary lost = buildLibrary(LibraryLayout{{NodeLayout{{entry("a.win", "")}, -1, 1},
                                                        NodeLayout{{entry("b.win", "")}}}});
        lost.eraseMagic(1, 0);  // the second node's record has no "ENT*"
        return lost;
    }
    // clang-format on
    if (name == "lib.pbl" || name == "cut") {
        BuiltLibrary lib = buildLibrary(
            oneNode({entry("b.srw", "ok"), entry("\xC3\xA7\n\x1B\xFF.win", std::string(1000, 'a')),
                     entry("taken.win", ""), entry("alias.win", ""), entry("link.win", ""),
                     entry("hard.win", "")}));
        if (name == "cut") lib.truncateTo(lib.block(0, 1, 1) + 100);
        return lib;
    }
    BuiltLibrary empty = buildLibrary(oneNode({}));  // empty.pbl, copy.pbg
    if (name == "seven") empty.truncateTo(7);        // too short for the trailer probe
    if (name == "eight") empty.truncateTo(8);        // long enough for it, too short for a header
    if (name == "rootless") empty.truncateTo(600);   // the root node lies past the end
    return empty;
}
const std::string kLostRecord = std::to_string(library("lost.pbl").recordOffsets[1][0]),
                  kCutBlock = std::to_string(library("cut").block(0, 1, 1));

// Each test in a fresh directory, with times shown in UTC.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    // Writes the libraries named, and "fifo".
    static void write(std::initializer_list<const char*> names) {
        for (const char* name : names)
            ASSERT_TRUE(name == std::string("fifo") ? mkfifo(name, 0644) == 0
                                                    : library(name).writeTo(name));
    }

    // Runs each case in this process and compares both streams and the exit code.
    static void expectRuns(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            std::string command = "lorvex";
            for (const std::string& argument : c.arguments) command += " " + argument;
            SCOPED_TRACE(command);
            const RunResult result = runLorvex(c.arguments);
            EXPECT_EQ(result.exitCode, c.exitCode);
            EXPECT_EQ(result.output, c.output);
            EXPECT_EQ(result.errors, c.errors);
        }
    }

    ScopedTempDir dir;
};

TEST_F(CommandLine, UsageHelpVersionAndOptions) {
    write({"sample.pbl", "lost.pbl", "copy.pbg"});
    // The help is the one the README shows.
    const std::string readme = readFile(std::string(LORVEX_SOURCE_DIR) + "/README.md");
    const std::size_t help = readme.find("```\n", readme.find("## Usage\n")) + 4;
    const std::string helpText = readme.substr(help, readme.find("```\n", help) - help);
    // clang-format off
    expectRuns({
        {{"--help"}, 0, helpText, ""}, {{"-H", "sample.pbl"}, 0, helpText, ""},
        {{"--version"}, 0, "lorvex " LORVEX_VERSION "\n", ""},
        {{}, 1, kUsage, ""}, {{"-v"}, 1, kUsage, ""}, {{"-x"}, 1, kUsage, ""}, {{"-s", "-o", "out"}, 1, kUsage, ""},
        {{"-x", "/nonexistent/lib.pbl"}, 3, "Unknown command line switch: -x\n", ""},
        {{"--v", "sample.pbl"}, 3, "Unknown command line switch: --v\n", ""},
        {{"-S", "--prune", "--encoding=utf16", "sample.pbl"}, 3, "", "lorvex: --encoding=utf16: takes utf8, hexascii or native\n"},
        {{"-s", "sample.pbl", "--codepage", "65001"}, 3, "", "lorvex: --codepage: takes one of the code pages 874, 932, "
                                                                "936, 949, 950 and 1250 to 1258\n"},
        {{"-s", "--pruned", "sample.pbl"}, 3, "Unknown command line switch: --pruned\n", ""},
        {{"-s", "-oout", "--encoding=UTF-8", "--", "sample.pbl"}, 0,
         "sample.pbl -> out/sample.pbl.src: 6 written, 0 unchanged, 0 removed\n", ""},
        {{"-s", "--encoding", "Native", "-o", "native", "sample.pbl"}, 0,
         "sample.pbl -> native/sample.pbl.src: 6 written, 0 unchanged, 0 removed\n", ""},
        {{"-s", "lost.pbl", "copy.pbg"}, 4, "lost.pbl: no sources\ncopy.pbg: no sources\n",
         "lorvex: lost.pbl: directory: the record at " + kLostRecord + " has no \"ENT*\": sources may be missing\n"},
    });
    // clang-format on
}

TEST(SyncOptions, WhetherAnEncodingWasGiven) {
    SyncOptions given, none;
    OptionProblem problem;
    EXPECT_TRUE(parseSyncOptions({"--encoding=utf8"}, given, problem) && given.encodingGiven);
    EXPECT_TRUE(parseSyncOptions({"a.pbl"}, none, problem) && !none.encodingGiven);
}

TEST_F(CommandLine, Listing) {
    write({"sample.pbl", "empty.pbl", "list.pbl", "unicode.pbl", "fifo", "rootless"});
    const std::string heading = "Listing entries...\n--\n",
                      sampleListing = runLorvex({"-v", "sample.pbl"}).output;
    EXPECT_EQ(sampleListing.substr(sampleListing.size() - 19), "\nTotal objects: 16\n");
    // clang-format off
    expectRuns({
        {{"-V", "sample.pbl", "ignored"}, 0, sampleListing, ""},
        {{"-v", "empty.pbl"}, 0, heading + "--\nTotal objects: 0\n", ""},
        {{"-v", "list.pbl"}, 0, heading + line("w_main.srw", "000000128") +
            "app.sra                                           000000085 18.06.2004 11:00:00\n"
            "PCODE\\w_main.win                                  000000077 29.02.2000 00:00:00\n"
            "RESOURCES\\C:\\img\\logo.bmp                         000000002 01.01.1970 00:00:01\n" +
            std::string(48, 'w') + ".srw000000070 01.01.1970 00:00:00\n"
            "PCODE\\first                                       000000000 19.01.2038 03:14:08\n"
            "PCODE\\last                                        000000000 07.02.2106 06:28:15\n"
            "--\nTotal objects: 7\n", ""},
        {{"-v", "unicode.pbl"}, 0, heading + line("PCODE\\\xC3\xA7.win", "000000003") + line(kChinese, "000000102") +
            line("\xF0\x9F\x98\x80.srw", "000000050") +
            line("PCODE\\\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xEE\x80\x80\xED\x9F\xBF", "000000000") +
            line("PCODE\\" + kCedillas.substr(0, 92), "000000000") +
            line("RESOURCES\\C:\\img\\\xC3\xA7.bmp", "000000003") + line("PCODE\\z", "000000000") +
            "--\nTotal objects: 7\n", ""},
        {{"-v", "fifo"}, 2, kOpenError, "lorvex: fifo: cannot open: is not a regular file\n"},
        {{"-v", "rootless"}, 2, kOpenError, "lorvex: rootless: not a library: its root node cannot be read\n"},
    });
    // clang-format on
}

// A line of the listing for scripts: the seven fields, then the hex columns.
std::string tsv(const std::string& library, const std::string& entry, const char* kind,
                const char* bytes, const char* time, const std::string& comment = "",
                const std::string& companion = "", const std::string& hexColumns = "\t\t") {
    return library + "\t" + entry + "\t" + kind + "\t" + bytes + "\t" + time + "Z\t" + comment +
           "\t" + companion + "\t" + hexColumns + "\n";
}

TEST_F(CommandLine, ListingForScripts) {
    write({"list.pbl", "scripts.pbl", "seven", "wide\xFF.pbl", "lost.pbl"});
    const std::string header =
        "library\tentry\tkind\tbytes\tmodified\tcomment\tcompanion\tentry_hex\tcomment_"
        "hex\tcompanion_hex\n";
    const char* epoch = "1970-01-01T00:00:00";
    const std::string gone =
        "lorvex: scripts.pbl: PCODE\\gone.win: its comment cannot be read: data block at "
        "268435456 cannot be read: the library is truncated\n";
    // clang-format off
    expectRuns({
        {{"-l", "list.pbl"}, 0, header + tsv("list.pbl", "w_main.srw", "source", "100", epoch) +
            tsv("list.pbl", "app.sra", "source", "36", "2004-06-18T11:00:00", "yyyy") +
            tsv("list.pbl", "w_main.win", "compiled", "77", "2000-02-29T00:00:00") +
            tsv("list.pbl", "C:\\\\img\\\\logo.bmp", "resource", "2", "1970-01-01T00:00:01") +
            tsv("list.pbl", std::string(48, 'w') + ".srw", "source", "0", epoch) +
            tsv("list.pbl", "first", "compiled", "0", "2038-01-19T03:14:08") +
            tsv("list.pbl", "last", "compiled", "0", "2106-02-07T06:28:15"), ""},
        {{"-l", "--json", "scripts.pbl", "seven", "wide\xFF.pbl", "lost.pbl"}, 4,
         R"({"library":"scripts.pbl","entry":"w.srw","kind":"source","bytes":3,"modified":"1970-01-01T00:00:00Z","comment":"","companion":"w.bin"}
{"library":"scripts.pbl","entry":"w.bin","kind":"compiled","bytes":4,"modified":"1970-01-01T00:00:09Z","comment":""}
{"library":"scripts.pbl","entry_hex":"636166e92e737277","kind":"source","bytes":4,"modified":"1970-01-01T00:00:00Z","comment_hex":"e974e9","companion_hex":"636166e92e62696e"}
{"library":"scripts.pbl","entry_hex":"636166e92e62696e","kind":"compiled","bytes":1,"modified":"1970-01-01T00:00:00Z","comment":""}
{"library":"scripts.pbl","entry":"C:\\a\tb.bmp","kind":"resource","bytes":1,"modified":"1970-01-01T00:00:00Z","comment":"q\"\\\t\n\r\u001b"}
{"library_hex":"77696465ff2e70626c","entry":")" "\xC3\xA7" R"(.srw","kind":"source","bytes":2,"modified":"1970-01-01T00:00:00Z","comment":"h\u0085"}
{"library_hex":"77696465ff2e70626c","entry":"b.srw","kind":"source","bytes":2,"modified":"1970-01-01T00:00:00Z","comment_hex":"00d8"}
{"library":"lost.pbl","entry":"a.win","kind":"compiled","bytes":0,"modified":"1970-01-01T00:00:00Z","comment":""}
)", gone + "lorvex: seven: not a library: only 7 bytes long\nlorvex: lost.pbl: directory: the record at " +
            kLostRecord + " has no \"ENT*\": entries may be missing\n"},
        {{"-l", "scripts.pbl", "--codepage=1252"}, 4, header + tsv("scripts.pbl", "w.srw", "source", "3", epoch, "", "w.bin") +
            tsv("scripts.pbl", "w.bin", "compiled", "4", "1970-01-01T00:00:09") +
            tsv("scripts.pbl", "caf\xC3\xA9.srw", "source", "4", epoch, "\xC3\xA9t\xC3\xA9", "caf\xC3\xA9.bin") +
            tsv("scripts.pbl", "caf\xC3\xA9.bin", "compiled", "1", epoch) +
            tsv("scripts.pbl", "C:\\\\a\\tb.bmp", "resource", "1", epoch, "q\"\\\\\\t\\n\\r\\x1b"), gone},
        {{"-l", "wide\xFF.pbl"}, 0, header + tsv("wide\xFF.pbl", "\xC3\xA7.srw", "source", "2", epoch, "h\\xc2\\x85") +
            tsv("wide\xFF.pbl", "b.srw", "source", "2", epoch, "", "", "\t00d8\t"), ""},
        {{"-l", "--", "--json"}, 2, header, "lorvex: --json: cannot open: No such file or directory\n"},
        {{"-L", "--json"}, 1, kUsage, ""},
    });
    // clang-format on
}

TEST_F(CommandLine, Checks) {
    write({"sample.pbl", "cut", "lost.pbl", "seven", "empty.pbl"});
    // clang-format off
    expectRuns({
        {{"-T", "sample.pbl"}, 0, "Checked 16 entries: 16 intact\n", ""},
        // A name that would break a line or reach the terminal is shown escaped.
        {{"-t", "cut"}, 4, "PCODE\\\xC3\xA7\\n\\x1b\\xff.win: data block at " + kCutBlock + " cannot be read: the library is truncated\n"
                           "Checked 6 entries: 1 damaged\n", "lorvex: cut: 1 damaged, as listed above\n"},
        {{"-t", "lost.pbl"}, 4, "directory: the record at " + kLostRecord +
                                " has no \"ENT*\": entries may be missing\nChecked 1 entry: 1 damaged\n",
         "lorvex: lost.pbl: 1 damaged, as listed above\n"},
        {{"-t", "."}, 2, kOpenError, "lorvex: .: cannot open: Is a directory\n"},
        {{"-t", "a\tb\n.pbl", "empty.pbl"}, 2, "a\\tb\\n.pbl: " + kOpenError + "empty.pbl: Checked 0 entries: 0 intact\n",
         "lorvex: a\\tb\\n.pbl: cannot open: No such file or directory\n"},
        {{"-t", "cut", "seven", "sample.pbl"}, 4, "cut: PCODE\\\xC3\xA7\\n\\x1b\\xff.win: data block at " + kCutBlock + " cannot be read: "
         "the library is truncated\ncut: Checked 6 entries: 1 damaged\nseven: " + kOpenError +
         "sample.pbl: Checked 16 entries: 16 intact\n",
         "lorvex: cut: 1 damaged, as listed above\nlorvex: seven: not a library: only 7 bytes long\n"},
    });
    // clang-format on
}

TEST_F(CommandLine, ExtractionAndItsFailures) {
    write({"sample.pbl", "lib.pbl", "seven", "eight", "fifo"});
    // Where the entries would be written: a folder, the library, a link, a file with two names.
    std::ofstream("outside") << "kept";
    ASSERT_EQ(mkdir("taken.win", 0755) | link("lib.pbl", "alias.win") |
                  symlink("outside", "link.win") | link("outside", "hard.win"),
              0);
    // clang-format off
    expectRuns({
        {{"-E", "sample.pbl", "no\tthing\r\x7F"}, 0, "", "lorvex: no\\tthing\\r\\x7f: not found in sample.pbl\n"},
        {{"-e", "sample.pbl", "sample.pbl", "*.BMP", "*.pbl"}, 0, "Extracting \"RESOURCES\\C:\\inventory\\img\\logo.bmp\"\n",
         "lorvex: hint: sample.pbl is a library too, but only one library is read per run: the names after "
         "it are entry names\nlorvex: sample.pbl: not found in sample.pbl\nlorvex: *.pbl: not found in sample.pbl\n"},
        {{"-e", "lib.pbl", "PCODE\\taken.win", "b.srw"}, 4, "Extracting \"PCODE\\taken.win\"\n",
         "lorvex: taken.win: cannot create: Is a directory\n"},
        {{"-e", "lib.pbl", "PCODE\\alias.win"}, 4, "Extracting \"PCODE\\alias.win\"\n",
         "lorvex: alias.win: cannot create: is the library being read\n"},
        {{"-e", "lib.pbl", "PCODE\\link.win"}, 4, "Extracting \"PCODE\\link.win\"\n",
         "lorvex: link.win: cannot create: is a symbolic link\n"},
        {{"-e", "lib.pbl", "PCODE\\hard.win"}, 4, "Extracting \"PCODE\\hard.win\"\n",
         "lorvex: hard.win: cannot create: has other hard links, which would change too\n"},
        {{"-e", "lib.pbl", "fifo"}, 0, "", "lorvex: fifo: not found in lib.pbl\n"},
        {{"-e", "seven"}, 2, kOpenError, "lorvex: seven: not a library: only 7 bytes long\n"},
        {{"-e", "eight"}, 2, kOpenError, "lorvex: eight: not a library: no \"HDR*\" header at 0\n"},
        {{"-e", "-o", "out/sub", "sample.pbl"}, 0, "", ""},
        {{"-e", "-oout2", "--", "lib.pbl", "b.srw"}, 0, "Extracting \"b.srw\"\n", ""},
        {{"-e", "-o", "new", "seven"}, 2, kOpenError, "lorvex: seven: not a library: only 7 bytes long\n"},
        {{"-e", "--output=outside", "lib.pbl"}, 4, "", "lorvex: outside: cannot create the folder: outside is not a folder\n"},
        {{"-e", "-o"}, 3, "", "lorvex: -o: needs a value\n"}, {{"-e", "-o", "out"}, 1, kUsage, ""},
        {{"-e", "-o", "", "lib.pbl"}, 3, "", "lorvex: -o: takes the folder to write into\n"},
        // An argument in the library's place that is no option of -e names the library.
        {{"-e", "--foo", "lib.pbl"}, 2, kOpenError, "lorvex: --foo: cannot open: No such file or directory\n"},
    });
    // clang-format on
    EXPECT_EQ(readFile("outside") + std::to_string(filesIn(".").size()), "kept13");
    EXPECT_EQ(filesIn("out/sub").size(), 16U);
    EXPECT_EQ(filesIn("out2"), std::vector<std::string>{"b.srw"});
    // Files get the entries' stored times.
    struct stat status {};
    for (const auto& [file, time] :
         {std::pair<const char*, time_t>{"out/sub/w_main.srw", 1087556460},
          {"out/sub/logo.bmp", 1087556700},
          {"out2/b.srw", 0}}) {
        EXPECT_EQ(stat(file, &status) == 0 ? status.st_mtime : -1, time) << file;
    }
}

// -p: the sources as one text in the object list's order, then a line for each compiled object and
// resource.
TEST_F(CommandLine, PrintingForDiffs) {
    write({"seven"});
    const std::string kHeader = "$PBExportHeader$";
    // clang-format off
    // Sources out of order: text that needs a code page, a byte no code page
    // converts (0x81 in 1252) under a companion, a comment; two objects.
    ASSERT_TRUE(buildLibrary(oneNode({entry("w_main.srw", "x = 1\r\n"),
                                      entry("d_b.srd", "\xE7\xE3o"), with(entry("app.sra", "cmty"), 3),
                                      entry("u_x.sru", "\x81\r\n"), entry("u_x.bin", "\1\2\3\4"),
                                      entry("C:\\img\\a.bmp", "123456789"), entry("w.win", "code")}))
                    .writeTo("print.pbl"));
    // b.srw is cut short, and the second node's record has no "ENT*".
    BuiltLibrary cut =
        buildLibrary(LibraryLayout{{NodeLayout{{entry("a.srw", "aaa"), entry("b.srw", "bbb")}, -1, 1},
                                    NodeLayout{{entry("c.win", "")}}}});
    cut.eraseMagic(1, 0);
    cut.truncateTo(cut.block(0, 1, 0) + 100);
    ASSERT_TRUE(cut.writeTo("damaged.pbl"));
    ASSERT_TRUE(buildLibrary(oneNode({entry("\xC3\xA7.srw", wide("hi")), entry("\xC3\xA7.win", "")}, true))
                    .writeTo("wide.pbl"));
    // A resource whose chain is a source's: damage only an extraction of all entries sees.
    BuiltLibrary shared = buildLibrary(oneNode({entry("a.srw", "aaa"), entry("C:\\b.bmp", "123")}));
    shared.setField(0, 1, BuiltLibrary::kFirstBlock, shared.block(0, 0, 0));
    ASSERT_TRUE(shared.writeTo("shared.pbl"));
    const std::string sharedBlock = "RESOURCES\\C:\\b.bmp: data block at " +
                                    std::to_string(shared.block(0, 0, 0)) +
                                    " was read before: the chain loops or shares blocks with another\n";
    const std::string block = std::to_string(cut.block(0, 1, 0)),
                      record = std::to_string(cut.recordOffsets[1][0]);
    // "u_x.bin" sums to 0x2B3; a row of 01 02 03 04 is 04030201; CRC-32 of "123456789" is cbf43926.
    const std::string app = kHeader + "app.sra\r\n$PBExportComments$cmt\r\ny\r\n",
                      u = kHeader + "u_x.sru\r\n\x81\r\n\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n"
                          "03u_x.bin \r\n" + row("04030201") + "13u_x.bin \r\nEnd of PowerBuilder Binary Data "
                          "Section : No Source Expected After This Point\r\n",
                      w = kHeader + "w_main.srw\r\nx = 1\r\n",
                      objects = "PCODE\\u_x.bin\t4\nPCODE\\w.win\t4\nRESOURCES\\C:\\img\\a.bmp\t9\tcbf43926\n";
    expectRuns({
        {{"-p", "--codepage=1252", "print.pbl"}, 0, app + kHeader + "d_b.srd\r\n\xC3\xA7\xC3\xA3o\r\n" + u + w + objects, ""},
        {{"-P", "print.pbl"}, 0, app + kHeader + "d_b.srd\r\n\xE7\xE3o\r\n" + u + w + objects, ""},
        {{"-p", "print.pbl", "W_MAIN.SRW", "*.bmp", "nothing", "--codepage=1252", "w_main.srw"}, 0,
         w + "RESOURCES\\C:\\img\\a.bmp\t9\tcbf43926\n",
         "lorvex: nothing: not found in print.pbl\nlorvex: --codepage=1252: not found in print.pbl\n"},
        {{"-p", "--", "damaged.pbl"}, 4, kHeader + "a.srw\r\naaa\r\nb.srw: data block at " + block +
         " cannot be read: the library is truncated\ndirectory: the record at " + record +
         " has no \"ENT*\": entries may be missing\n",
         "lorvex: damaged.pbl: b.srw: data block at " + block + " cannot be read: the library is truncated\n"
         "lorvex: damaged.pbl: directory: the record at " + record + " has no \"ENT*\": entries may be missing\n"},
        {{"-p", "shared.pbl", "*.bmp"}, 4, sharedBlock, "lorvex: shared.pbl: " + sharedBlock},
        {{"-p", "wide.pbl"}, 0, kHeader + "\xC3\xA7.srw\r\nhi\r\nPCODE\\\xC3\xA7.win\t0\n", ""},
        {{"-p", "--json", "print.pbl"}, 3, "Unknown command line switch: --json\n", ""}, {{"-p", "--codepage=1252"}, 1, kUsage, ""},
        {{"-p", "seven"}, 2, "", "lorvex: seven: not a library: only 7 bytes long\n"},
    });
    // clang-format on
}

// The real binary in a child process with every signal handled as by
// default, standard output a pipe nobody reads (closedOutput) or captured,
// and files that cannot grow past fileSizeLimit bytes (when not negative).
// A signal that ends it gives 128 and its number as the exit code.
RunResult runBinary(const std::vector<std::string>& arguments, bool closedOutput,
                    long fileSizeLimit) {
    std::vector<std::string> words{LORVEX_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2], errors[2];
    RunResult result;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC) != 0) return result;
    if (closedOutput) close(out[0]);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1), dup2(errors[1], 2);
        signal(SIGPIPE, SIG_DFL), signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        if (fileSizeLimit >= 0) setrlimit(RLIMIT_FSIZE, &limit);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]), close(errors[1]);
    for (std::string* captured : {&result.output, &result.errors}) {
        const int from = captured == &result.output ? out[0] : errors[0];
        if (captured == &result.output && closedOutput) continue;
        char piece[4096];
        for (ssize_t got; (got = read(from, piece, sizeof piece)) > 0;)
            captured->append(piece, got);
        close(from);
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// -s and -e finish every file when standard output is closed, and fail a
// file past the size limit as on a full disk; -v, -l and -t end with their
// output.
TEST_F(CommandLine, FilesGoOnWhenWritesFail) {
    write({"sample.pbl"});
    struct Writes {
        std::vector<std::string> arguments;
        bool closedOutput;
        long fileSizeLimit;
        int exitCode;
        std::string output, errors;
        const char* folder;
        std::size_t added;  // files the run adds to folder
    };
    const std::string pipe = "lorvex: standard output: cannot write: Broken pipe\n",
                      big = "cannot write: File too large\n";
    // Past the half megabyte a thread sanitizer writes as the program starts.
    const long kLimit = 1 << 20;
    ASSERT_TRUE(
        buildLibrary(oneNode({entry("a.srw", std::string(kLimit, 'a')), entry("b.srw", "b")}))
            .writeTo("big.pbl"));
    // clang-format off
    const Writes cases[] = {
        {{"-e", "-o", "big", "big.pbl"}, false, kLimit, 4, "", "lorvex: big/a.srw: " + big, "big", 1},
        {{"-s", "-o", "big", "big.pbl"}, false, kLimit, 4,
         "big.pbl -> big/big.pbl.src: 1 written, 0 unchanged, 0 removed, 1 failed\n",
         "lorvex: big.pbl: a.srw: " + big, "big/big.pbl.src", 1},  // and no temporary file
        {{"-e", "-o", "piped", "sample.pbl", "*"}, true, -1, 4, "", pipe, "piped", 16},
        {{"-s", "-o", "piped", "sample.pbl"}, true, -1, 4, "", pipe, "piped/sample.pbl.src", 6},
        // The largest exit code wins.
        {{"-e", "missing.pbl"}, true, -1, 4, "",
         "lorvex: missing.pbl: cannot open: No such file or directory\n" + pipe, ".", 0},
        {{"-s", "--check", "-o", "checked", "sample.pbl"}, true, -1, 5, "", pipe, ".", 0},
        {{"-v", "sample.pbl"}, true, -1, 128 + SIGPIPE, "", "", ".", 0},
    };
    // clang-format on
    for (const Writes& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const std::size_t before = filesIn(c.folder).size();
        const RunResult result = runBinary(c.arguments, c.closedOutput, c.fileSizeLimit);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(filesIn(c.folder).size() - before, c.added);
    }
}

// The real binary, with standard output that cannot be written.
TEST_F(CommandLine, TheRealBinaryEndToEnd) {
    write({"sample.pbl"});
    const std::string lorvex = LORVEX_BINARY;
    EXPECT_EQ(runShell(lorvex + " -v sample.pbl").output, runLorvex({"-v", "sample.pbl"}).output);
    EXPECT_EQ(runShell(lorvex + " -v sample.pbl >/dev/full").exitCode, 4);
    EXPECT_EQ(runShell(lorvex + " -e sample.pbl").exitCode, 0);
    // The git recipe of docs/version-control.md: a blob that is not a library as a note, then the
    // lines that changed in a source, a comment and an object's size, in hunks named after their
    // source.
    const std::string page = readFile(std::string(LORVEX_SOURCE_DIR) + "/docs/version-control.md");
    const std::size_t recipe = page.find("```sh\n", page.find("## The git recipe")) + 6;
    for (const auto& [name, code, comment, size] :
         {std::tuple{"v1.pbl", "x = 1", "old", 10}, std::tuple{"v2.pbl", "x = 2", "new", 12}})
        ASSERT_TRUE(
            buildLibrary(oneNode({with(entry("d_x.srd", comment + std::string("text\r\n")), 3),
                                  entry("w_main.srw", repeat("a\r\n", 8) + code + "\r\nend\r\n"),
                                  entry("w_main.win", std::string(size, 'c'))}))
                .writeTo(name));
    const std::string git = "cd repo && PATH=\"$(dirname " + lorvex + "):$PATH\" && ";
    const RunResult log = runShell(
        "git init -q repo && " + git + "git config user.name t && git config user.email t@t && " +
        page.substr(recipe, page.find("git log", recipe) - recipe) +
        ": >app.pbl && git add -A && git commit -qm a && cp ../v1.pbl app.pbl && "
        "git commit -qam b && cp ../v2.pbl app.pbl && git commit -qam c && git log -p 2>&1");
    EXPECT_NE(log.output.find("-not a library: 0 bytes\n+$PBExportHeader$d_x.srd\r\n"),
              std::string::npos)
        << log.output;
    std::istringstream last(runShell(git + "git log -p -1 -- app.pbl").output);
    std::string changes;  // the changed lines, and each hunk as "@" and the source it names
    for (std::string text; std::getline(last, text);) {
        if (text.compare(0, 2, "@@") == 0)
            changes += "@" + text.substr(text.find("@@", 2) + 2) + "\n";
        if (text.find_first_of("-+") == 0 && text.compare(0, 4, "--- ") != 0 &&
            text.compare(0, 4, "+++ ") != 0)
            changes += text + "\n";
    }
    EXPECT_EQ(changes,
              "@\n-$PBExportComments$old\r\n+$PBExportComments$new\r\n@ w_main.srw\n-x = 1\r\n"
              "+x = 2\r\n-PCODE\\w_main.win\t10\n+PCODE\\w_main.win\t12\n");
    // A folder deeper than any stack, and longer than any path.
    const std::string deep = repeat("a/", 40000);
    const RunResult tooDeep = runShell(lorvex + " -s -o " + deep + " sample.pbl 2>&1");
    EXPECT_EQ(tooDeep.exitCode, 2);
    EXPECT_EQ(tooDeep.output,
              "lorvex: " + deep + ": cannot create the folder: File name too long\n");
    EXPECT_TRUE(readFile(std::string(LORVEX_SOURCE_DIR) + "/examples/sample.pbl") ==
                readFile("sample.pbl"))
        << "regenerate with: make_sample examples/sample.pbl";
}

// Every input that ever made the fuzzer fail, through the fuzzer's commands.
TEST(FuzzRegressions, StayWithinTheirBounds) {
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
