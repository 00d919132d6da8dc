#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

std::string listingOf(const LibraryLayout& layout) {
    ScopedTempDir dir;
    if (!buildLibrary(layout).writeTo("lib.pbl")) return "<not written>";
    const RunResult result = runLorvex({"-v", "lib.pbl"});
    EXPECT_EQ(result.exitCode, 0);
    return result.output;
}

TEST(Listing, LinesAreByteExact) {
    ScopedTimeZone zone("UTC");
    LibraryLayout layout;
    layout.nodes.resize(1);
    EntryLayout source = entry("w_main.srw", std::string(100, 'x'), 0);
    EntryLayout commented = entry("app.sra", std::string(40, 'y'), 1087556400);
    commented.commentLength = 4;
    EntryLayout compiled = entry("w_main.win", std::string(77, 'z'), 951782400);  // 29 Feb 2000
    EntryLayout resource = entry("C:\\img\\logo.bmp", "BM", 1);
    EntryLayout wide = entry(std::string(48, 'w') + ".srw", "", 59);
    wide.noBlocks = true;
    layout.nodes[0].entries = {source, commented, compiled, resource, wide};
    EXPECT_EQ(
        listingOf(layout),
        "Listing entries...\n--\n"
        "w_main.srw                                        000000128 01.01.1970 00:00:00\n"
        "app.sra                                           000000085 18.06.2004 11:00:00\n"
        "PCODE\\w_main.win                                  000000077 29.02.2000 00:00:00\n"
        "RESOURCES\\C:\\img\\logo.bmp                         000000002 01.01.1970 00:00:01\n" +
            std::string(48, 'w') +
            ".srw000000070 01.01.1970 00:00:59\n"
            "--\nTotal objects: 5\n");
}

TEST(Listing, EmptyLibraryShowsHeadingAndZeroTotal) {
    LibraryLayout layout;
    layout.nodes.resize(1);
    EXPECT_EQ(listingOf(layout), "Listing entries...\n--\n--\nTotal objects: 0\n");
}

TEST(Listing, TimesAreLocalWithDaylightSaving) {
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    LibraryLayout layout;
    layout.nodes.resize(1);
    layout.nodes[0].entries = {entry("winter", "", 1070000000), entry("summer", "", 1087556400)};
    EXPECT_EQ(listingOf(layout),
              "Listing entries...\n--\n"
              "PCODE\\winter                                      000000000 28.11.2003 07:13:20\n"
              "PCODE\\summer                                      000000000 18.06.2004 13:00:00\n"
              "--\nTotal objects: 2\n");
}

TEST(Listing, TimesPast2038ShowTheirRealDate) {
    ScopedTimeZone zone("UTC");
    LibraryLayout layout;
    layout.nodes.resize(1);
    layout.nodes[0].entries = {entry("first", "", 0x80000000U), entry("last", "", 0xFFFFFFFFU)};
    EXPECT_EQ(listingOf(layout),
              "Listing entries...\n--\n"
              "PCODE\\first                                       000000000 19.01.2038 03:14:08\n"
              "PCODE\\last                                        000000000 07.02.2106 06:28:15\n"
              "--\nTotal objects: 2\n");
}

}  // namespace
}  // namespace lorvex::testing
