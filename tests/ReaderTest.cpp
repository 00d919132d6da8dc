// The walk over a library's entries: which display names one pass yields,
// for intact trees and for every kind of damage to nodes and records.
#include <gtest/gtest.h>

#include <filesystem>

#include "examples/SampleLibrary.h"
#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

// The display names of one pass, each followed by a space.
std::string namesOf(const BuiltLibrary& library) {
    ScopedTempDir dir;
    LibraryReader reader;
    std::string reason;
    if (!library.writeTo("lib.pbl") || !reader.open("lib.pbl", reason) || !reader.rewind())
        return "<not opened>";
    std::string names;
    while (reader.next()) names += std::string(reader.current().displayName) + " ";
    return names;
}

TEST(Reader, PassOverDamagedNodesAndRecords) {
    // A tree of nodes a b c | d e | f | g: the root's left child holds d e and has the right
    // neighbour f; the root's right neighbour holds g. Behind a program, found through the trailer.
    LibraryLayout layout;
    for (const std::string node : {"abc", "de", "f", "g"}) {
        layout.nodes.emplace_back();
        for (const char name : node)
            layout.nodes.back().entries.push_back(entry(std::string(1, name), "x"));
    }
    layout.nodes[0].left = 1, layout.nodes[0].right = 3, layout.nodes[1].right = 2;
    layout.headerOffset = 22528;
    using L = BuiltLibrary;
    // clang-format off
    const std::pair<void (*)(L&), const char*> cases[] = {
        {[](L&) {}, "abcdefg"},
        {[](L& l) { l.eraseMagic(0, 1); }, "adefg"},  // no "ENT*": the rest of the node goes
        {[](L& l) { l.eraseMagic(0, 0); }, "defg"},   // so does the first node's first record
        {[](L& l) { l.eraseMagic(1, 0); }, "abc"},    // but in a node reached later, the pass
        {[](L& l) { l.setField(0, 1, L::kNameLength, 0); }, "a"},          // name length 0
        {[](L& l) { l.setField(3, 0, L::kNameLength, 0xFFFF); }, "abcdef"}, // name past the end
        {[](L& l) { l.setEntryCount(0, 0xFFFF); }, "abcdefg"},  // then no "ENT*"
        {[](L& l) { l.setEntryCount(0, 2); }, "abdefg"},  // records past the count
        {[](L& l) { l.setEntryCount(1, 0); }, "abcfg"},   // an empty node is stepped over
        {[](L& l) {  // loops and overlapping nodes are cut
             l.setLeft(1, l.nodeOffsets[1]);
             l.setRight(2, l.nodeOffsets[0]);
             l.setLeft(2, l.nodeOffsets[2] + 8);
         }, "abcdefg"},
        {[](L& l) { l.setRight(1, l.bytes.size() - 16); }, "abcdeg"},  // unreadable
        {[](L& l) {  // a node inside the root whose one record is c: each record once
             const std::uint32_t inside = l.recordOffsets[0][2] - 32;
             l.setRight(3, inside);
             l.put16(inside + L::kEntryCount, 1);
         }, "abcdefg"},
    };
    // clang-format on
    for (const auto& [damage, expected] : cases) {
        SCOPED_TRACE(expected);
        BuiltLibrary library = buildLibrary(layout);
        damage(library);
        std::string names = namesOf(library);
        for (std::size_t at; (at = names.find("PCODE\\")) != std::string::npos;) names.erase(at, 6);
        names.erase(std::remove(names.begin(), names.end(), ' '), names.end());
        EXPECT_EQ(names, expected);
    }
}

TEST(Reader, StoredNamesGiveKindPrefixAndFitTheirBuffer) {
    std::vector<EntryLayout> entries{entry("", "x"), entry("", "x")};
    entries[0].storedName = Bytes{'o', 'p', 'e', 'n'};  // no terminator
    entries[1].storedName = Bytes{'a', 'b', 0, 'c', 'd', 0};
    for (const std::string& name : std::vector<std::string>{
             "w.srw", "w.SRW", ".srx", "w.win", "x.sr", "C:\\i\\l.bmp", "a/b", "c:logo.gif",
             "/x.srw", std::string(120, 'n'), std::string(150, 's') + ".srw"})
        entries.push_back(entry(name, "x"));
    EXPECT_EQ(
        namesOf(buildLibrary(oneNode(entries))),
        "PCODE\\open PCODE\\ab w.srw w.SRW .srx PCODE\\w.win PCODE\\x.sr RESOURCES\\C:\\i\\l.bmp "
        "RESOURCES\\a/b RESOURCES\\c:logo.gif RESOURCES\\/x.srw PCODE\\" +
            std::string(93, 'n') + " " + std::string(99, 's') + " ");
}

// A library behind a minimal PE image, signed.
BuiltLibrary signedImage(std::size_t alignment, std::uint16_t magic = 0x10B) {
    LibraryLayout layout = oneNode({entry("a.win", "x")});
    layout.headerOffset = 1024;
    BuiltLibrary image = buildLibrary(layout);
    image.bytes[0] = 'M', image.bytes[1] = 'Z', image.bytes[0x40] = 'P', image.bytes[0x41] = 'E';
    image.put32(0x3C, 0x40);                              // where the PE signature is
    image.put16(0x54, 240);                               // size of the optional header
    image.put16(0x58, magic);                             // 32-bit or 64-bit optional header
    image.put32(0x58 + (magic == 0x20B ? 108 : 92), 16);  // number of data directories
    sign(image.bytes, alignment);
    return image;
}

TEST(Reader, SignedExecutables) {
    using L = BuiltLibrary;
    // clang-format off
    const std::pair<void (*)(L&), bool> cases[] = {
        {[](L& l) { l = signedImage(0); }, true}, {[](L& l) { l = signedImage(7); }, true},
        {[](L& l) { l = signedImage(3, 0x20B); }, true},
        {[](L& l) { l = signedImage(8); }, false},  // more than the alignment signing adds
        {[](L& l) { l.bytes[l.bytes.size() - 1025] = 1; }, false},  // the alignment is not zero
        {[](L& l) { l.bytes.push_back(0); }, false},  // the table does not end the file
        {[](L& l) { l.put32(0x3C, 1U << 30); }, false}, {[](L& l) { l.bytes[0x40] = 'N'; }, false},
        {[](L& l) { l.put16(0x58, 0x10C); }, false},
        {[](L& l) { l.put16(0x54, 136); }, true},  // just room for the certificate directory
        // Too few directories, though the certificate table holds what a trailer would.
        {[](L& l) { l.put32(0x58 + 92, 4), l.put32(l.bytes.size() - 508, 1024); }, false},
        {[](L& l) { l.put16(0x54, 127); }, false},  // no room for the certificate directory
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [change, lists] = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        BuiltLibrary image = signedImage(2);
        change(image);
        EXPECT_EQ(namesOf(image), lists ? "PCODE\\a.win " : "<not opened>");
    }
}

// Shorter and shorter copies of the sample library: each is refused, or
// lists, checks and extracts what it still holds, and no more.
TEST(Reader, PrefixesOfTheSampleFailCleanly) {
    ScopedTempDir dir;
    const BuiltLibrary sample = buildLibrary(sampleLibrary());
    for (std::size_t size = 0; size < sample.bytes.size(); size += 211) {
        SCOPED_TRACE(size);
        BuiltLibrary prefix = sample;
        prefix.truncateTo(size);
        ASSERT_TRUE(prefix.writeTo("cut.pbl"));
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"-t", "cut.pbl"}, {"-l", "cut.pbl"}, {"-e", "-o", "out", "cut.pbl"}}) {
            const int code = runLorvex(command).exitCode;
            EXPECT_TRUE(code == 0 || code == 2 || code == 4) << command[0] << " exited " << code;
        }
        const std::string listing = runLorvex({"-v", "cut.pbl"}).output;
        const std::size_t total = listing.rfind("Total objects: ");
        EXPECT_LE(total == std::string::npos ? 0 : std::stoi(listing.substr(total + 15)), 16);
        std::error_code error;
        std::uintmax_t written = 0;
        for (const auto& file : std::filesystem::directory_iterator("out", error))
            written += file.file_size(error);
        EXPECT_LE(written, size);
        std::filesystem::remove_all("out", error);
    }
}

TEST(Reader, DeepTreeIsWalkedWithoutRecursion) {
    LibraryLayout layout;
    layout.nodes.resize(100000, NodeLayout{{entry("n", "")}, -1, -1});
    for (int i = 0; i + 1 < 100000; ++i) layout.nodes[i].left = i + 1;  // a left spine
    EXPECT_EQ(namesOf(buildLibrary(layout)).size(), 8U * 100000);
}

}  // namespace
}  // namespace lorvex::testing
