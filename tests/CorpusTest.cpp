// Real libraries written by the environment itself, read where they are:
// skipped when the shared corpus folder is not beside the project.
#include <gtest/gtest.h>

#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(Corpus, LibrariesListCheckExtractAndExportTheirSources) {
    SKIP_WITHOUT_CORPUS();
    const std::string wns = "zzia615__WNS-Powerbuilder/", jxc = "macchen__simple_jxc/",
                      menu = "thansuoi113__Coolmenu-In-PowerBuilder/";
    // clang-format off
    const std::pair<std::string, int> libraries[] = {
        {wns + "wnsservice/wnsservice.pbl", 24}, {jxc + "br.pbl", 0}, {jxc + "navigation.pbl", 0},
        {jxc + "operator.pbl", 0}, {jxc + "report.pbl", 0}, {jxc + "main.pbl", 29}, {jxc + "base_lib.pbl", 16},
        {jxc + "bd.pbl", 8}, {jxc + "ui.pbl", 4}, {jxc + "sale_pos.pbl", 2}, {jxc + "simple_jxc.pbl", 2},
        {jxc + "base_lib.pbd", 7}, {"cornelioroyer__abaco-librerias/dw2xls.pbl", 108},
        {menu + "coolmenu-v9.pbl", 36}, {menu + "coolmenu-v10-unicode.pbl", 36},
        {"ChaeWoongbin__PowerBuilder/main-unicode.pbl", 6},
        {"thansuoi113__PowerBuilder-Code-Examples/clntapp.exe", 1},  // behind a program
    };
    // clang-format on
    ScopedTempDir dir;
    for (const auto& [library, count] : libraries) {
        const std::string path = kCorpus + library, total = std::to_string(count);
        LibraryReader reader;
        std::vector<std::string> arguments{"-e", path};
        for (bool more = reader.open(path) && reader.rewind() && reader.next(); more;
             more = reader.next())
            arguments.emplace_back(reader.current().displayName);
        const bool unicode = reader.generation() == Generation::UnicodeEra;
        const std::string listing = runLorvex({"-v", path}).output;
        EXPECT_EQ(arguments.size(), static_cast<std::size_t>(count) + 2) << library;
        EXPECT_NE(listing.find("--\nTotal objects: " + total + "\n"), std::string::npos);
        EXPECT_EQ(runLorvex({"-t", path}).output,
                  "Checked " + total + (count == 1 ? " entry: " : " entries: ") + total + " intact\n");
        EXPECT_EQ(runLorvex({"-e", path}).exitCode, 0) << library;
        const RunResult named = runLorvex(arguments);
        EXPECT_EQ(named.exitCode, 0) << library;
        EXPECT_EQ(std::count(named.output.begin(), named.output.end(), '\n'), count) << library;
        // The environment's own exports of these sources, stored by git with LF line ends.
        const std::vector<std::string> exports = library.find(wns) == 0
                                                     ? filesIn(kCorpus + wns + "wnsservice_pbl")
                                                     : std::vector<std::string>{};
        for (const std::string& name : exports) {
            EXPECT_EQ(withoutCarriageReturns(readFile(name)),
                      withoutCarriageReturns(readFile(kCorpus + wns + "wnsservice_pbl/" + name)));
        }
        // -s: native as the named export, utf8 its text as the C library converts it, and a
        // second run writes nothing.
        const std::string folder = library.substr(library.rfind('/') + 1) + ".src/";
        EXPECT_EQ(runLorvex({"-s", "-o", "native", "--encoding=native", path}).exitCode, 0);
        EXPECT_EQ(runLorvex({"-s", "-o", "utf8", "--codepage=936", path}).exitCode, 0);
        EXPECT_NE(
            runLorvex({"-s", "-o", "utf8", "--codepage=936", path}).output.find(": 0 written"),
            std::string::npos);
        for (const std::string& name : filesIn("native/" + folder)) {
            EXPECT_TRUE(readFile("native/" + folder + name) == readFile(name)) << name;
            EXPECT_EQ(readFile("utf8/" + folder + name),
                      "\xEF\xBB\xBF" +
                          runShell(unicode ? "tail -c +3 " + name + " | iconv -f UTF-16LE -t UTF-8"
                                           : "iconv -f CP936 -t UTF-8 " + name)
                              .output);
        }
        if (library.find(".exe") == std::string::npos) continue;
        // Signed, the executable lists and extracts as the original.
        BuiltLibrary image;
        for (const char c : readFile(path)) image.bytes.push_back(static_cast<unsigned char>(c));
        sign(image.bytes, 4);
        const std::string program = readFile("ob.exe");  // its one entry
        ASSERT_TRUE(image.writeTo("signed.exe") && std::remove("ob.exe") == 0);
        EXPECT_EQ(runLorvex({"-v", "signed.exe"}).output, listing);
        EXPECT_EQ(runLorvex({"-e", "signed.exe"}).exitCode, 0);
        EXPECT_TRUE(readFile("ob.exe") == program && !program.empty());
    }
    EXPECT_EQ(filesIn(kCorpus + wns + "wnsservice_pbl").size(), 11U);
}

}  // namespace
}  // namespace lorvex::testing
