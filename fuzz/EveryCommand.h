#pragma once

// Every command on one input, as the fuzzer runs them and the tests replay
// them, with bounds on what each may write.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "library/EntryNames.h"
#include "library/LibraryReader.h"

namespace lorvex::fuzz {

// Characters an export adds to the bytes it reads. A display name has at most
// 99 bytes; sizes and times are 32-bit numbers, of at most ten digits.
constexpr std::uint64_t kLongestName = 99, kLongestNumber = 10, kLineEnd = 2;
// The header and comments lines around a display name.
constexpr std::uint64_t kOwn = sizeof "$PBExportHeader$" - 1 + kLongestName + kLineEnd +
                               sizeof "$PBExportComments$" - 1 + kLineEnd;
// A section's lines around its rows: a line end, its first line, "0" and "1"
// each before the line naming the companion ("<digit><name> <size> <time>"),
// and its last line.
constexpr std::uint64_t kSectionLines =
    kLineEnd + sizeof "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n" - 1 +
    2 * (2 + kLongestName + 1 + kLongestNumber + 1 + kLongestNumber + kLineEnd) +
    sizeof "End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n" - 1;
// A row: "2", its check digit, 499 groups of eight hex digits and a line end;
// the last row is filled up with zeros. Rows take at most a row's characters
// for each block of 512 bytes of a companion, which at most three sources
// show (.srw, .srd, .sru).
constexpr std::uint64_t kRowLength = 2 + 499 * 8 + kLineEnd, kBlock = 512, kMostShown = 3;
constexpr std::uint64_t kRowCharsPerByte = kMostShown * ((kRowLength + kBlock - 1) / kBlock);
// The byte order mark (or the shorter "HA"), and the longest hexascii run of
// one character.
constexpr std::uint64_t kFixed = sizeof "\xEF\xBB\xBF" - 1 + sizeof "$$HEX1$$0000$$ENDHEX$$" - 1;
// A line -p writes for an entry, and the one for a damaged directory: a
// display name escaped (up to four characters a byte) twice, once in a reason
// that names a companion, and the rest of the reason (at most 200).
constexpr std::uint64_t kPrintedLine = 2 * 4 * kLongestName + 200;
// An object list: the lines around its sources, which name the library, and
// a line a source, whose name takes at most three times its bytes (a
// character of a code page in UTF-8, a quote or a tilde escaped).
constexpr std::uint64_t kListedLibrary = sizeof "\"input.pbl\"" - 1;
constexpr std::uint64_t kListAround =
    sizeof "\xEF\xBB\xBFSave Format v3.0(19990112)\n@begin Libraries\n  \"\";\n" - 1 +
    sizeof "@end;\n@begin Objects \n@end;\n" - 1 + kListedLibrary;
constexpr std::uint64_t kListLine = sizeof " \"\" ;\n" - 1 + 3 * kLongestName + kListedLibrary;

// Bytes of a file, in halves, per byte read, per character the export adds and
// per character of hex rows (0: no sections): a native export is the bytes
// read and its characters (two bytes each in UTF-16); utf8 takes at most three
// bytes for a single-byte character or a UTF-16 unit; hexascii at most 11.5
// a character (ASCII and other characters alternating: 22 for one, 1 for the
// next), its hex rows being ASCII. All zero: the command writes nothing.
struct Form {
    std::uint64_t perByte, perChar, perRowChar;
};

// Runs both listings, the check, extraction of all entries, of every entry by
// name and by a pattern, -s in each encoding and as a dry run, of the input
// as a library, a target file and a workspace, and -p, in the folder scratch
// (an absolute path); the caller's working directory is kept. Returns which
// bound a command broke, or empty.
inline std::string runEveryCommand(const std::string& input, const std::string& scratch) {
    const std::string library = scratch + "/input.pbl", target = scratch + "/input.pbt",
                      workspace = scratch + "/input.pbw";
    for (const std::string& path : {library, target, workspace})
        if (!std::ofstream(path, std::ios::binary).write(input.data(), input.size()))
            return "cannot write " + path;
    // Every entry by name, as stored and with its extension in lower case:
    // with the extraction of all, the exports -t stands for.
    std::vector<std::string> named{"-e", library}, lowered{"-e", library};
    LibraryReader reader;
    std::string reason;
    bool patterns = false;  // a name -e would take for a pattern
    if (reader.open(library, reason))
        reader.forEachEntry([&](const CurrentEntry& entry, std::uint32_t) {
            std::string name = entry.displayName;
            named.push_back(name);
            for (std::size_t i = name.size() >= 3 ? name.size() - 3 : 0; i < name.size(); ++i)
                name[i] = foldAscii(name[i]);
            lowered.push_back(name);
            patterns = patterns || name.find_first_of("*?") != std::string::npos;
        });
    const std::uint64_t n = input.size(), entries = named.size() - 2;
    // Each record holds at least 25 bytes and is delivered once.
    if (entries > n / 25 + 2) return std::to_string(entries) + " entries";
    const std::uint64_t w = reader.generation() == Generation::UnicodeEra ? 2 : 1;
    const Form native{2, 2 * w, 2 * w}, utf8{6, 6, 2}, hexascii{23, 23, 2};
    const std::string out = scratch + "/out";
    // clang-format off
    const std::pair<std::vector<std::string>, Form> commands[] = {
        {{"-v", library}, {}}, {{"-l", library}, {}}, {{"-l", "--json", "--codepage=1252", library}, {}},
        {{"-t", library}, {}}, {{"-e", library}, {2, 2 * w, 0}}, {named, native}, {lowered, native},
        {{"-e", "-o", "named", library, "*"}, native},
        {{"-s", "-o", out, library}, utf8}, {{"-s", "-o", out, "--codepage=1252", library}, utf8},
        {{"-s", "-o", out, "--encoding=native", library}, native},
        {{"-s", "-o", out, "--encoding=hexascii", "--codepage=936", "--prune", target}, hexascii},
        {{"-s", "-o", out, "--codepage=932", workspace}, utf8}, {{"-s", "--check", "-o", out, library}, {}},
        {{"-p", library}, {}}};
    // clang-format on
    std::error_code error;
    const std::filesystem::path home = std::filesystem::current_path(error);
    if (!error) std::filesystem::create_directory(out, error);
    if (!error) std::filesystem::current_path(out, error);
    if (error) return "cannot enter " + out + ": " + error.message();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::string problem = sink == nullptr ? "cannot open /dev/null" : "";
    bool disjoint = false;                   // the extraction of all entries found no blocks shared
    bool checked = false, extracted = true;  // what -t says, and what the exports it stands for did
    for (const auto& [arguments, f] : commands) {
        if (!problem.empty()) break;
        std::vector<const char*> argv{"lorvex"};
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        // What -p prints is measured: at most what -s writes in utf8, and a line an entry.
        const bool print = arguments[0] == "-p";
        std::FILE* printed = print ? std::tmpfile() : sink;
        if (printed == nullptr) {
            problem = "cannot make a temporary file";
            break;
        }
        const int code = runCommandLine(static_cast<int>(argv.size()), argv.data(), printed, sink);
        const std::uint64_t printedBound =
            (utf8.perByte + kRowCharsPerByte * utf8.perRowChar) * n / 2 +
            entries * (utf8.perChar * (kOwn + kSectionLines) / 2 + kFixed + kPrintedLine) +
            kPrintedLine;
        if (print && std::fseek(printed, 0, SEEK_END) == 0 &&
            static_cast<std::uint64_t>(std::ftell(printed)) > printedBound)
            problem = "printed " + std::to_string(std::ftell(printed)) + " bytes";
        if (print) std::fclose(printed);
        const bool sync = arguments[0] == "-s", byName = arguments.size() > 2 && !sync;
        const std::uint64_t rows = f.perRowChar, own = kOwn + (rows != 0 ? kSectionLines : 0);
        // One export reads at most n bytes, content and companion together; a
        // section shows the companion as two characters a byte, and its last row.
        const std::uint64_t file =
            (std::max(f.perByte, 2 * rows) * n + f.perChar * own + rows * kRowLength) / 2 + kFixed;
        const std::uint64_t list = sync ? kListAround + kListLine * entries : file;
        // Exports of different entries read disjoint blocks, n bytes at most.
        // Named exports may read the same blocks again, so their total holds
        // only when no entries share blocks.
        std::uint64_t total = (f.perByte + kRowCharsPerByte * rows) * n / 2 +
                              entries * (f.perChar * own / 2 + kFixed) + (sync ? list : 0);
        if (byName && !disjoint) total = UINT64_MAX;
        std::uint64_t written = 0;
        for (std::filesystem::recursive_directory_iterator it(".", error), end; !error && it != end;
             it.increment(error)) {
            const std::uint64_t bytes = it->is_regular_file(error) ? it->file_size(error) : 0;
            written += bytes;
            if (bytes > (it->path().extension() == ".pbg" ? list : file) || f.perByte == 0)
                problem = it->path().string() + " has " + std::to_string(bytes) + " bytes";
        }
        if (problem.empty() && written > total) problem = std::to_string(written) + " in all";
        for (const auto& entry : std::filesystem::directory_iterator(".", error))
            std::filesystem::remove_all(entry.path(), error);
        if (error) problem += error.message();
        const std::size_t shown = std::min<std::size_t>(arguments.size(), 7);
        for (std::size_t i = shown; !problem.empty() && i-- > 0;)
            problem = arguments[i] + (i + 1 == shown ? ": " : " ") + problem;
        disjoint = disjoint || (!byName && arguments[0] == "-e" && code == 0);
        if (arguments[0] == "-t") checked = code == 0;
        if (arguments[0] == "-e" && arguments[1] == library) extracted = extracted && code == 0;
    }
    // -t is intact exactly when every export it stands for succeeds and the
    // directory is whole.
    if (problem.empty() && !patterns && checked != (extracted && reader.damage().empty()))
        problem = std::string("-t says ") + (checked ? "intact" : "damaged") +
                  " where the exports it stands for " + (extracted ? "succeed" : "fail");
    if (sink != nullptr) std::fclose(sink);
    std::filesystem::current_path(home, error);
    return error ? problem + "; cannot return to " + home.string() : problem;
}

}  // namespace lorvex::fuzz
