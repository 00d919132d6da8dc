// The small rules text follows: UTF-8 read and written, shell patterns over
// display names, calendar dates in UTC.
#include <gtest/gtest.h>

#include "extract/NamePattern.h"
#include "listing/CalendarTime.h"
#include "platform/Platform.h"
#include "text/Report.h"
#include "text/Utf16.h"

namespace lorvex::testing {
namespace {

TEST(Text, MalformedUtf8BecomesOneReplacementEach) {
    // Surrogates, an overlong form and a code point above U+10FFFF are not characters.
    const std::pair<std::string, std::string> cases[] = {
        {"\xED\xA0\x80", "\xFD\xFF"},     {"\xED\xBF\xBF", "\xFD\xFF"},
        {"\xEF\xBF\xBF", "\xFF\xFF"},     {"\xC0\xAF", "\xFD\xFF"},
        {"\xF4\x90\x80\x80", "\xFD\xFF"}, {"\xF0\x90\x80\x80", std::string("\x00\xD8\x00\xDC", 4)}};
    for (const auto& [utf8, utf16] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(utf8ToUtf16Le(utf8.data(), utf8.size()), utf16);
    }
}

// What reaches a terminal: text as it is, but for controls, turns of
// direction and bytes that are not UTF-8.
TEST(Text, MessagesShowControlsAndTurnsEscaped) {
    // clang-format off
    EXPECT_EQ(printable("a\xE2\x80\x94" "b\xE2\x80\xAE" "c\xE2\x80\x8F" "d\xD8\x9C" "e\x1B\xC2\x85\xFF\\"),
              "a\xE2\x80\x94" "b\\xe2\\x80\\xae" "c\\xe2\\x80\\x8f" "d\\xd8\\x9c" "e\\x1b\\xc2\\x85\\xff\\");
    // clang-format on
}

TEST(Text, PatternsMatchWholeCharactersIgnoringCase) {
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"PCODE\\?.WIN", "PCODE\\\xDF\xBF.win", true}, {"?.srw", "\xC2\xA0.srw", true}, {"?.srw", "\xE4\xB8\xAD.srw", true},
        {"?.srw", "\xF0\x9F\x98\x80.srw", true}, {"??.srw", "\xDF\xBF.srw", false},
        {"???.srw", "\xE0\x80\x80.srw", true},  // an overlong form is bytes, not a character {"*\\*.bin", "PCODE\\a\\b.bin", true},
        {"d_*", "D_ITEMS.srd", true}, {"d_*", "w_main.srw", false}};
    // clang-format on
    for (const auto& [pattern, name, matches] : cases) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(NamePattern(pattern).matches(name), matches) << name;
    }
}

// The names Windows takes for something else, whatever platform checks them.
TEST(Text, NamesWindowsCannotStoreAsTheyAre) {
    const std::string colon = "holds a colon, which names a drive or a stream here",
                      device = "is the name of a device",
                      end = "ends in a dot or a space, which the file system drops",
                      tilde = "may be the short name of another file",
                      bad = "holds a character file names cannot hold here";
    // clang-format off
    const std::pair<const char*, std::string> cases[] = {
        {"w_main.srw", ""}, {"conx.srw", ""}, {"com10", ""}, {"a~b.srw", ""}, {"a:b", colon}, {"c:logo.gif", colon},
        {"x.", end}, {"y ", end}, {"CON", device}, {"con.srw", device}, {"Aux.gif", device}, {"nul .txt", device},
        {"conout$", device}, {"com0", device}, {"LPT9.txt", device}, {"com\xC2\xB9", device}, {"lpt\xB2.srw", device},
        {"ab~1.srw", tilde}, {"a~~1.srw", tilde}, {"a?b.srw", bad}, {"x|y:z", bad}, {"t\tab.srw", bad}};
    // clang-format on
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        std::string reason;
        EXPECT_EQ(platform::isWindowsStorableName(name, reason), expected.empty());
        EXPECT_EQ(reason, expected);
    }
}

// The listings test the epoch, 2000-02-29 and the last second; 2100 is no leap year.
TEST(Text, UniversalTimeToTheLastSecond) {
    const std::pair<std::uint32_t, const char*> cases[] = {{4107456000, "2100-02-28 00:00:00"},
                                                           {4107542400, "2100-03-01 00:00:00"}};
    for (const auto& [seconds, expected] : cases) {
        const CalendarTime time = toUniversalTime(seconds);
        char shown[32];
        std::snprintf(shown, sizeof shown, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                      time.day, time.hour, time.minute, time.second);
        EXPECT_STREQ(shown, expected);
    }
}

}  // namespace
}  // namespace lorvex::testing
