// Writes the benchmark libraries into a folder: make_workloads <folder>.
//   w1.pbl     100,000 entries of a few hundred bytes over 1,250 nodes
//   w2.pbl     2,000 entries of about 100 KB each (about 200 MB)
//   w3-names   1,000 display names of w1 in random order, some missing, one a line
//   empty.pbl  a library without entries, the memory baseline
//   w4.pbl     one source whose compiled companion holds 8 MB; w4-companion.bin its bytes
//   w5-00.pbl ... w5-19.pbl  2,000 sources of 1 to 4 KB each; a tenth with a
//              compiled companion, a tenth with non-ASCII text; the odd ones Unicode-era
//   w7.pbl     160,000 entries that repeat one source and its compiled companion
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "examples/SampleLibrary.h"

using namespace lorvex::testing;

namespace {

// A tree where node i has the left child 2i + 1 and the right neighbour 2i + 2.
LibraryLayout spreadOverNodes(std::vector<EntryLayout> entries, std::size_t perNode) {
    LibraryLayout layout;
    const std::size_t nodes = (entries.size() + perNode - 1) / perNode;
    layout.nodes.resize(nodes);
    for (std::size_t i = 0; i < nodes; ++i) {
        if (2 * i + 1 < nodes) layout.nodes[i].left = static_cast<int>(2 * i + 1);
        if (2 * i + 2 < nodes) layout.nodes[i].right = static_cast<int>(2 * i + 2);
        for (std::size_t e = i * perNode; e < std::min(entries.size(), (i + 1) * perNode); ++e) {
            layout.nodes[i].entries.push_back(std::move(entries[e]));
        }
    }
    return layout;
}

std::string sourceText(std::size_t size, std::uint32_t seed) {
    std::string text;
    while (text.size() < size)
        text += "integer li_value" + std::to_string(seed++ % 1000) + " = 42\r\n";
    text.resize(size);
    return text;
}

char numbered[32];
const char* number(const char* format, std::size_t i) {
    std::snprintf(numbered, sizeof numbered, format, i);
    return numbered;
}

std::vector<std::string> w1DisplayNames;

LibraryLayout w1() {
    std::mt19937 random(1);
    std::vector<EntryLayout> entries;
    for (std::size_t i = 0; i < 100000; ++i) {
        const std::size_t size = 200 + random() % 500;
        const auto time = static_cast<std::uint32_t>(1087556400 + i);
        switch (i % 5) {
            case 0:
            case 1:
                entries.push_back(entry(number("n_obj%06zu.srw", i),
                                        sourceText(size, static_cast<std::uint32_t>(i)), time));
                w1DisplayNames.push_back(entries.back().name);
                break;
            case 4:
                entries.push_back(entry(number("C:\\res\\img%06zu.bmp", i), "", time));
                entries.back().data = filler(size, static_cast<std::uint32_t>(i));
                w1DisplayNames.push_back("RESOURCES\\" + entries.back().name);
                break;
            default:
                entries.push_back(entry(number("n_obj%06zu.win", i), "", time));
                entries.back().data = filler(size, static_cast<std::uint32_t>(i));
                w1DisplayNames.push_back("PCODE\\" + entries.back().name);
                break;
        }
    }
    return spreadOverNodes(std::move(entries), 80);
}

LibraryLayout w2() {
    std::vector<EntryLayout> entries;
    for (std::size_t i = 0; i < 2000; ++i) {
        const std::size_t size = 90000 + (i * 7919) % 20000;
        if (i % 4 == 0) {
            entries.push_back(
                entry(number("big%04zu.srw", i), sourceText(size, static_cast<std::uint32_t>(i))));
        } else {
            entries.push_back(entry(number("big%04zu.win", i), ""));
            entries.back().data = filler(size, static_cast<std::uint32_t>(i));
        }
    }
    return spreadOverNodes(std::move(entries), 80);
}

bool writeNames(const std::string& path) {
    std::mt19937 random(3);
    std::vector<std::string> names;
    for (int i = 0; i < 950; ++i) names.push_back(w1DisplayNames[random() % w1DisplayNames.size()]);
    for (int i = 0; i < 50; ++i)
        names.push_back(std::string(number("missing%04zu.srw", static_cast<std::size_t>(i))));
    std::shuffle(names.begin(), names.end(), random);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    for (const std::string& name : names) std::fprintf(file, "%s\n", name.c_str());
    return std::fclose(file) == 0;
}

// A source of about size bytes as stored. Non-ASCII text is cp1252 bytes in a
// single-byte library, so -s needs --codepage=1252 for it, and UTF-8 turned
// into UTF-16LE in a Unicode-era one, where it may leave Latin-1.
std::string w5Source(std::size_t size, std::uint32_t seed, bool nonAscii, bool unicode) {
    std::string text;
    if (nonAscii)
        text = unicode ? "string ls_title = \"gar\u00e7on \u00e9t\u00e9 \u2013 \u20ac\"\r\n"
                       : "string ls_title = \"gar\xE7on \xE9t\xE9\"\r\n";
    const std::size_t length = unicode ? size / 2 : size;
    text += sourceText(length > text.size() ? length - text.size() : 0, seed);
    return unicode ? lorvex::utf8ToUtf16Le(text.data(), text.size()) : text;
}

LibraryLayout w5(std::size_t library) {
    static const char* const kExtensions[] = {"srw", "sru", "srd", "srm", "srs"};
    std::mt19937 random(static_cast<std::uint32_t>(5 + library));
    const bool unicode = library % 2 == 1;
    std::vector<EntryLayout> entries;
    for (std::size_t i = 0; i < 2000; ++i) {
        const auto seed = static_cast<std::uint32_t>(library * 2000 + i);
        const auto time = static_cast<std::uint32_t>(1087556400 + seed);
        const std::string name = number("w5_obj%04zu.", i);
        // i % 10 == 0 falls on ".srw", a name that gets its companion's section.
        entries.push_back(entry(name + kExtensions[i % 5],
                                w5Source(1024 + random() % 3073, seed, i % 10 == 5, unicode),
                                time));
        if (i % 10 == 0) {
            entries.push_back(entry(name + "bin", "", time));
            entries.back().data = filler(1024 + random() % 3073, seed);
        }
    }
    LibraryLayout layout = spreadOverNodes(std::move(entries), 80);
    layout.unicode = unicode;
    return layout;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_workloads <folder>\n", stderr);
        return 1;
    }
    const std::string dir = std::string(argv[1]) + "/";
    if (!buildLibrary(w1()).writeTo(dir + "w1.pbl") || !writeNames(dir + "w3-names")) return 1;
    if (!buildLibrary(w2()).writeTo(dir + "w2.pbl")) return 1;
    LibraryLayout empty;
    empty.nodes.resize(1);
    if (!buildLibrary(empty).writeTo(dir + "empty.pbl")) return 1;

    LibraryLayout w4;
    w4.nodes.resize(1);
    EntryLayout companion = entry("w_big.bin", "");
    companion.data = filler(8 * 1024 * 1024, 4);
    w4.nodes[0].entries = {entry("w_big.srw", sourceText(3000, 4)), companion};
    BuiltLibrary companionBytes;
    companionBytes.bytes = companion.data;
    if (!buildLibrary(w4).writeTo(dir + "w4.pbl") ||
        !companionBytes.writeTo(dir + "w4-companion.bin"))
        return 1;

    std::vector<EntryLayout> repeated;
    for (std::size_t i = 0; i < 80000; ++i) {
        repeated.push_back(entry("w_main.srw", "x = 1\r\n"));
        repeated.push_back(entry("w_main.bin", "BIN!"));
    }
    if (!buildLibrary(spreadOverNodes(std::move(repeated), 128)).writeTo(dir + "w7.pbl")) return 1;

    for (std::size_t library = 0; library < 20; ++library)
        if (!buildLibrary(w5(library)).writeTo(dir + number("w5-%02zu.pbl", library))) return 1;
    return 0;
}
