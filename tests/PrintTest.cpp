// -p: the sources of a library as one text in the object list's order, then a
// line for each compiled object and resource, for diffs.
#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kHeader = "$PBExportHeader$";

TEST(Print, SourcesInTheObjectListsOrderThenObjectsAndResources) {
    ScopedTempDir dir;
    // clang-format off
    // Sources out of order: text that needs a code page, a byte no code page
    // converts (0x81 in 1252) under a companion, a comment; two objects.
    ASSERT_TRUE(buildLibrary(oneNode({entry("w_main.srw", "x = 1\r\n"),
                                      entry("d_b.srd", "\xE7\xE3o"), with(entry("app.sra", "cmty"), 3),
                                      entry("u_x.sru", "\x81\r\n"), entry("u_x.bin", "\1\2\3\4"),
                                      entry("C:\\img\\a.bmp", "123456789"), entry("w.win", "code")}))
                    .writeTo("lib.pbl"));
    // b.srw is cut short, and the second node's record has no "ENT*".
    BuiltLibrary cut =
        buildLibrary(LibraryLayout{{NodeLayout{{entry("a.srw", "aaa"), entry("b.srw", "bbb")}, -1, 1},
                                    NodeLayout{{entry("c.win", "")}}}});
    cut.eraseMagic(1, 0);
    cut.truncateTo(cut.block(0, 1, 0) + 100);
    ASSERT_TRUE(cut.writeTo("cut.pbl"));
    ASSERT_TRUE(buildLibrary(oneNode({entry("\xC3\xA7.srw", wide("hi")), entry("\xC3\xA7.win", "")}, true))
                    .writeTo("wide.pbl"));
    const std::string block = std::to_string(cut.block(0, 1, 0)),
                      record = std::to_string(cut.recordOffsets[1][0]);
    // "u_x.bin" sums to 0x2B3; a row of 01 02 03 04 is 04030201; CRC-32 of "123456789" is cbf43926.
    const std::string app = kHeader + "app.sra\r\n$PBExportComments$cmt\r\ny\r\n",
                      u = kHeader + "u_x.sru\r\n\x81\r\n\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n"
                          "03u_x.bin \r\n" + row("04030201") + "13u_x.bin \r\nEnd of PowerBuilder Binary Data "
                          "Section : No Source Expected After This Point\r\n",
                      w = kHeader + "w_main.srw\r\nx = 1\r\n",
                      objects = "PCODE\\u_x.bin\t4\nPCODE\\w.win\t4\nRESOURCES\\C:\\img\\a.bmp\t9\tcbf43926\n";
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string output, errors;
    } cases[] = {
        {{"-p", "--codepage=1252", "lib.pbl"}, 0, app + kHeader + "d_b.srd\r\n\xC3\xA7\xC3\xA3o\r\n" + u + w + objects, ""},
        {{"-P", "lib.pbl"}, 0, app + kHeader + "d_b.srd\r\n\xE7\xE3o\r\n" + u + w + objects, ""},
        {{"-p", "lib.pbl", "W_MAIN.SRW", "*.bmp", "nothing", "--codepage=1252", "w_main.srw"}, 0,
         w + "RESOURCES\\C:\\img\\a.bmp\t9\tcbf43926\n",
         "lorvex: nothing: not found in lib.pbl\nlorvex: --codepage=1252: not found in lib.pbl\n"},
        {{"-p", "--", "cut.pbl"}, 4, kHeader + "a.srw\r\naaa\r\nb.srw: data block at " + block +
         " cannot be read: the library is truncated\ndirectory: the record at " + record +
         " has no \"ENT*\": entries may be missing\n",
         "lorvex: cut.pbl: b.srw: data block at " + block + " cannot be read: the library is truncated\n"
         "lorvex: cut.pbl: directory: the record at " + record + " has no \"ENT*\": entries may be missing\n"},
        {{"-p", "wide.pbl"}, 0, kHeader + "\xC3\xA7.srw\r\nhi\r\nPCODE\\\xC3\xA7.win\t0\n", ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::string command = "lorvex";
        for (const std::string& argument : c.arguments) command += " " + argument;
        SCOPED_TRACE(command);
        const RunResult result = runLorvex(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errors, c.errors);
    }
}

}  // namespace
}  // namespace lorvex::testing
