// Libraries of the Unicode-era versions: UTF-16LE names and sources.
#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

const std::string kBom = "\xFF\xFE", kChinese = "\xE4\xB8\xAD\xE6\x96\x87.srw";

EntryLayout wideEntry(const std::string& name, const std::string& ascii, std::uint16_t comment = 0) {
    EntryLayout e = entry(name, wide(ascii));
    e.commentLength = comment;
    return e;
}

EntryLayout rawName(Bytes name) {
    EntryLayout e = entry("", "");
    e.storedName = std::move(name);
    return e;
}

TEST(Unicode, NamesAreListedAsUtf8) {
    setTimeZone("UTC");
    std::string cedillas;
    for (int i = 0; i < 60; ++i) cedillas += "\xC3\xA7";
    ScopedTempDir dir;
    const RunResult result = runOn(
        buildLibrary(oneNode({entry("\xC3\xA7.win", "raw"), wideEntry(kChinese, "abcX\r\n", 3),
                              rawName({0x3D, 0xD8, 0x00, 0xDE, '.', 0, 's', 0, 'r', 0, 'w', 0, 0, 0}),
                              // Pairs at both ends of the surrogate range, a lone low
                              // surrogate, the characters just outside the range.
                              rawName({0x00, 0xD8, 0x00, 0xDC, 0xFF, 0xDB, 0xFF, 0xDF, 0xFF, 0xDF,
                                       0x00, 0xE0, 0xFF, 0xD7, 0, 0}),
                              entry(cedillas, ""), entry("C:\\img\\\xC3\xA7.bmp", "img"),
                              rawName({'o', 0, 'd', 0, 0}),  // an odd length ends the pass
                              entry("never.win", "")},
                             true)),
        "-v");
    auto line = [](const std::string& name, const char* size) {
        return name + std::string(name.size() < 50 ? 50 - name.size() : 0, ' ') + size +
               " 01.01.1970 00:00:00\n";
    };
    EXPECT_EQ(result.output,
              "Listing entries...\n--\n" + line("PCODE\\\xC3\xA7.win", "000000003") +
                  line(kChinese, "000000102") + line("\xF0\x9F\x98\x80.srw", "000000050") +
                  line("PCODE\\\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBD\xEE\x80\x80\xED\x9F\xBF",
                       "000000000") +
                  line("PCODE\\" + cedillas.substr(0, 92), "000000000") +
                  line("RESOURCES\\C:\\img\\\xC3\xA7.bmp", "000000003") + "--\nTotal objects: 6\n");
}

TEST(Unicode, ExportsAreUtf16WithTheirMark) {
    EntryLayout zeros = wideEntry("w.srw", "ab");  // blocks end in the zero high bytes
    zeros.blockSizes = {2, 2};
    const std::string header = kBom + wide("$PBExportHeader$");
    // clang-format off
    const ExtractCase cases[] = {
        {"comment, and raw entries",
         {wideEntry("a.srw", "abcX\r\n", 3), entry("\xC3\xA7.win", "raw"), entry("C:\\i\\\xC3\xA7.bmp", "I")},
         {}, "",
         {{"a.srw", header + wide("a.srw\r\n$PBExportComments$abc\r\nX\r\n")}, {"\xC3\xA7.win", "raw"},
          {"\xC3\xA7.bmp", "I"}}, 0, nullptr, true},
        {"names outside ASCII in the header line",
         {wideEntry(kChinese, "x"), wideEntry("\xF0\x9F\x98\x80.srw", "")}, {}, "",
         {{kChinese, header + std::string("\x2D\x4E\x87\x65", 4) + wide(".srw\r\nx")},
          {"\xF0\x9F\x98\x80.srw", header + std::string("\x3D\xD8\x00\xDE", 4) + wide(".srw\r\n")}},
         0, nullptr, true},
        {"zero bytes stay and the section is UTF-16 too", {zeros, entry("w.bin", "\1\2\3\4", 7)},
         {"w.srw"}, "Extracting \"w.srw\"\n",
         {{"w.srw", header + wide("w.srw\r\nab" + section('7', "w.bin", 4, 7, row("04030201")))}},
         0, nullptr, true},
    };
    // clang-format on
    for (const ExtractCase& c : cases) check(c);
}

}  // namespace
}  // namespace lorvex::testing
