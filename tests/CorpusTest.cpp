// Real libraries written by the environment itself, read where they are:
// skipped when the shared corpus folder is not beside the project.
#include <gtest/gtest.h>

#include <filesystem>

#include "extract/SourceOrder.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A field of a line of -l --json: a string unescaped, a number as its digits, empty when absent.
std::string jsonField(const std::string& line, const std::string& name) {
    std::size_t i = line.find("\"" + name + "\":");
    std::string value;
    if (i == std::string::npos) return value;
    i += name.size() + 3;
    if (line[i] != '"') return line.substr(i, line.find_first_of(",}", i) - i);
    for (++i; line[i] != '"'; ++i) {
        const char c = line[i] != '\\' ? '\0' : line[++i];
        value += c == '\0' ? line[i] : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        if (c == 'u')
            value.back() = static_cast<char>(std::stoi(line.substr(i + 1, 4), nullptr, 16));
        if (c == 'u') i += 4;
    }
    return value;
}

// -l --json against -v and the exports of the library in "all" (every entry) and in the current
// directory (each named): names, times and sizes as listed, bytes and comments as exported, and
// companions as named exports pair them.
void expectScriptListingAgrees(const std::string& path, const std::string& listing, bool unicode) {
    const RunResult json = runLorvex({"-l", "--json", "--codepage=936", path});
    std::istringstream lines(json.output), listed(listing.substr(listing.find("--\n") + 3));
    const std::string crlf = unicode ? wide("\r\n") : "\r\n";
    auto text = [&](const std::string& ascii) { return unicode ? wide(ascii) : ascii; };
    for (std::string line, expected; std::getline(lines, line) && std::getline(listed, expected);) {
        const std::string kind = jsonField(line, "kind"), time = jsonField(line, "modified");
        const std::string name = (kind == "compiled"   ? "PCODE\\"
                                  : kind == "resource" ? "RESOURCES\\"
                                                       : "") +
                                 jsonField(line, "entry");
        const std::string file = readFile("all/" + name.substr(baseNameOffset(name.c_str())));
        char shown[256];
        std::snprintf(shown, sizeof shown, "%-50s%09zu %s.%s.%s %s", name.c_str(), file.size(),
                      time.substr(8, 2).c_str(), time.substr(5, 2).c_str(),
                      time.substr(0, 4).c_str(), time.substr(11, 8).c_str());
        EXPECT_EQ(expected, shown);
        std::size_t content = kind == "source" ? file.find(crlf) + crlf.size() : 0;
        std::string comment;
        if (kind == "source" && file.compare(content, text("$PBExportComments$").size(),
                                             text("$PBExportComments$")) == 0) {
            const std::size_t end = file.find(crlf, content);
            comment = file.substr(content + text("$PBExportComments$").size(),
                                  end - content - text("$PBExportComments$").size());
            content = end + crlf.size();
            std::ofstream("comment", std::ios::binary) << comment;
            comment = runShell(std::string("iconv -f ") + (unicode ? "UTF-16LE" : "CP936") +
                               " -t UTF-8 comment")
                          .output;
        }
        EXPECT_EQ(jsonField(line, "bytes"), std::to_string(file.size() - content)) << name;
        EXPECT_EQ(jsonField(line, "comment"),
                  kind == "source" ? comment : jsonField(line, "comment"))
            << name;
        const std::string named = readFile(name.substr(baseNameOffset(name.c_str())));
        const std::string start = text(" Binary Data Section : Do NOT Edit\r\n0");
        const std::size_t found = named.find(start),
                          section = found + start.size() + text("7").size();
        std::string companion =
            found == std::string::npos
                ? ""
                : named.substr(section, named.find(text(" "), section) - section);
        if (unicode)
            companion.erase(std::remove(companion.begin(), companion.end(), '\0'), companion.end());
        EXPECT_EQ(jsonField(line, "companion"), companion) << name;
    }
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(lines.peek(), std::char_traits<char>::eof());
}

TEST(Corpus, LibrariesListCheckExtractAndExportTheirSources) {
    SKIP_WITHOUT_CORPUS();
    setenv("TZ", "UTC", 1);
    tzset();
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
    char cwd[4096];
    const std::string here = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "";
    for (const auto& [library, count] : libraries) {
        SCOPED_TRACE(library);
        const std::string path = kCorpus + library, total = std::to_string(count);
        LibraryReader reader;
        std::vector<std::string> arguments{"-e", path};
        std::string reason;
        ASSERT_TRUE(reader.open(path, reason)) << reason;
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
            arguments.emplace_back(entry.displayName);
        });
        const bool unicode = reader.generation() == Generation::UnicodeEra;
        const std::string listing = runLorvex({"-v", path}).output;
        EXPECT_EQ(arguments.size(), static_cast<std::size_t>(count) + 2) << library;
        EXPECT_NE(listing.find("--\nTotal objects: " + total + "\n"), std::string::npos);
        EXPECT_EQ(
            runLorvex({"-t", path}).output,
            "Checked " + total + (count == 1 ? " entry: " : " entries: ") + total + " intact\n");
        EXPECT_EQ(runLorvex({"-e", "-o", "all", path}).exitCode, 0) << library;
        const RunResult named = runLorvex(arguments);
        EXPECT_EQ(named.exitCode, 0) << library;
        EXPECT_EQ(std::count(named.output.begin(), named.output.end(), '\n'), count) << library;
        expectScriptListingAgrees(path, listing, unicode);
        // The environment's own exports of these sources, stored by git with LF line ends.
        const std::vector<std::string> exports = library.find(wns) == 0
                                                     ? filesIn(kCorpus + wns + "wnsservice_pbl")
                                                     : std::vector<std::string>{};
        for (const std::string& name : exports) {
            EXPECT_EQ(withoutCarriageReturns(readFile(name)),
                      withoutCarriageReturns(readFile(kCorpus + wns + "wnsservice_pbl/" + name)));
        }
        // -s: utf8 is the C library's own conversion of native, and a second run writes nothing.
        const std::string sources = library + ".src/";
        ASSERT_EQ(chdir(kCorpus.c_str()), 0);
        for (const char* encoding : {"native", "utf8"})
            runLorvex({"-s", "-o", here + "/" + encoding, "--codepage=936", "--encoding", encoding,
                       library});
        const int again =
            runLorvex({"-s", "--check", "-o", here + "/utf8", "--codepage=936", library}).exitCode;
        ASSERT_EQ(chdir(here.c_str()), 0);
        EXPECT_EQ(again, 0) << library;
        for (const std::string& name : filesIn("native/" + sources)) {
            if (name.find(".pbg") != std::string::npos) continue;
            EXPECT_EQ(readFile("utf8/" + sources + name),
                      "\xEF\xBB\xBF" + runShell((unicode ? "tail -c +3 " : "cat ") +
                                                ("'native/" + sources + name) +
                                                (unicode ? "' | iconv -f UTF-16LE -t UTF-8"
                                                         : "' | iconv -f CP936 -t UTF-8"))
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

// Every library prints with each source's header line; a Unicode-era one begins with the files -s
// writes, without their byte order marks, each ending in a line end, in the object list's order.
TEST(Corpus, EveryLibraryPrintsItsSources) {
    SKIP_WITHOUT_CORPUS();
    ScopedTempDir dir;
    const std::string here = std::filesystem::current_path().string();
    unsigned libraries = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(kCorpus)) {
        const std::string extension = foldedName(file.path().extension().string());
        if (extension != ".pbl" && extension != ".pbd" && extension != ".exe") continue;
        const std::string library = file.path().lexically_relative(kCorpus).string();
        SCOPED_TRACE(library);
        ++libraries;
        ASSERT_EQ(chdir(kCorpus.c_str()), 0);
        const RunResult printed = runLorvex({"-p", library});
        runLorvex({"-s", "-o", here, library});
        ASSERT_EQ(chdir(here.c_str()), 0);
        EXPECT_EQ(printed.exitCode, 0);
        LibraryReader reader;
        std::string reason;
        ASSERT_TRUE(reader.open(kCorpus + library, reason)) << reason;
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
            const std::string header = "$PBExportHeader$" + std::string(entry.displayName) + "\r\n";
            EXPECT_TRUE(entry.kind != EntryKind::Source ||
                        printed.output.find(header) != std::string::npos)
                << header;
        });
        if (reader.generation() != Generation::UnicodeEra) continue;
        std::vector<std::string> files = filesIn(library + ".src");
        std::sort(files.begin(), files.end(), objectListOrder);
        std::string expected;
        for (const std::string& name : files) {
            const std::string text = readFile(library + ".src/" + name).substr(3);
            if (name.back() != 'g')  // not the object list
                expected += text + (text.back() == '\n' ? "" : "\r\n");
        }
        EXPECT_TRUE(printed.output.compare(0, expected.size(), expected) == 0);
    }
    EXPECT_GE(libraries, 31U);
}

// What the environment's own source control wrote for real applications is
// what -s writes, byte for byte, and a dry run into those trees finds nothing
// to change; the applications' other libraries and targets are not in the
// corpus, and each is reported once.
TEST(Corpus, ApplicationsAsTheEnvironmentKeepsThem) {
    SKIP_WITHOUT_CORPUS();
    struct Application {
        std::string folder;
        std::vector<std::string> arguments;  // after the options
        bool lf;                             // whether git stored the tree with LF line ends
        int exitCode;
        long missing;  // lines on standard error
    };
    // clang-format off
    const Application applications[] = {
        {"xiaofuhub__PangLargeTest", {"IntelliSoft.pbw"}, false, 2, 66},
        {"appeonteam__tramosWorkSpace", {"tramosWorkSpace.pbw", "VIMS/imglib.pbl", "tramos/operations/epdisbur.pbl"},
         false, 2, 13},
        {"AppeonH__saveas_pdf", {"saveas_pdf.pbw", "DWIntegration/cr495212/dwproperty.pbl"}, false, 2, 28},
        {"appeonguojun__test05", {"PB2017/587_webservice/test/wcftest.pbt"}, false, 2, 2},
        {"appeonteam__L1testcase", {"appeontestcase_pb.pbt"}, false, 2, 13},
        {"domangep__powerscriptextensionlibrary-pb2021", {"pse.pbw"}, true, 0, 0},
    };
    // clang-format on
    ScopedTempDir dir;
    char cwd[4096];
    const std::string here = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "";
    for (const Application& application : applications) {
        SCOPED_TRACE(application.folder);
        const std::string root = kCorpus + application.folder;
        std::vector<std::string> check{"-s", "--check", "-o", "ws_objects"};
        if (application.lf) check.emplace_back("--eol=lf");
        check.insert(check.end(), application.arguments.begin(), application.arguments.end());
        // Into a fresh folder the 2017-2018 form needs its object lists asked for.
        std::vector<std::string> run = check;
        run[1] = "--object-lists";
        run[3] = here + "/" + application.folder;
        if (application.lf) run.erase(run.begin() + 1);
        ASSERT_EQ(chdir(root.c_str()), 0);
        const RunResult written = runLorvex(run), checked = runLorvex(check);
        ASSERT_EQ(chdir(here.c_str()), 0);
        EXPECT_EQ(written.exitCode, application.exitCode);
        EXPECT_EQ(std::count(written.errors.begin(), written.errors.end(), '\n'),
                  application.missing);
        std::map<std::string, std::string> expected = filesUnder(root + "/ws_objects"),
                                           found = filesUnder(application.folder);
        // The environment wrote it from a version of the library never committed.
        const std::string uncommitted = "VIMS/vcn.pbl.src/w_vcn.srw";
        const bool tramos = expected.erase(uncommitted) + found.erase(uncommitted) != 0;
        for (const auto& [name, bytes] : expected) EXPECT_TRUE(found[name] == bytes) << name;
        EXPECT_EQ(found.size(), expected.size());
        EXPECT_EQ(checked.output + std::to_string(checked.exitCode),
                  (tramos ? "write ws_objects/" + uncommitted + "\n" : std::string()) +
                      std::to_string(application.exitCode));
    }
    // The other workspaces, and a runtime library beside its library.
    const std::string menu = "thansuoi113__Coolmenu-In-PowerBuilder/PB9/";
    const std::string simple = "macchen__simple_jxc/";
    ASSERT_EQ(chdir(kCorpus.c_str()), 0);
    const RunResult others =
        runLorvex({"-s", "-o", here + "/others", "--codepage=936", menu + "Coolmenu.pbw",
                   "ChaeWoongbin__PowerBuilder/workspace/cwb.pbw", simple + "base_lib.pbl",
                   simple + "base_lib.pbd"});
    ASSERT_EQ(chdir(here.c_str()), 0);
    EXPECT_EQ(others.exitCode, 0) << others.errors;
    EXPECT_EQ(others.output,
              menu + "coolmenu.pbl -> " + here + "/others/" + menu +
                  "coolmenu.pbl.src: 18 written, 0 unchanged, 0 removed\n"
                  "ChaeWoongbin__PowerBuilder/workspace/main.pbl -> " +
                  here +
                  "/others/ChaeWoongbin__PowerBuilder/workspace/main.pbl.src: 2 written, 0 "
                  "unchanged, 0 removed\n" +
                  simple + "base_lib.pbl -> " + here + "/others/" + simple +
                  "base_lib.pbl.src: 8 written, 0 unchanged, 0 removed\n" + simple +
                  "base_lib.pbd: no sources\n");
}

}  // namespace
}  // namespace lorvex::testing
