// The walk over a library's entries: which display names one pass yields,
// for intact trees and for every kind of damage to nodes and records.
#include <gtest/gtest.h>

#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

using Names = std::vector<std::string>;

Names namesOf(const BuiltLibrary& library) {
    ScopedTempDir dir;
    LibraryReader reader;
    if (!library.writeTo("lib.pbl") || !reader.open("lib.pbl", false) || !reader.rewind())
        return {"<not opened>"};
    Names names;
    while (reader.next()) names.emplace_back(reader.current().displayName);
    return names;
}

NodeLayout nodeOf(const Names& names) {
    NodeLayout node;
    for (const std::string& name : names) node.entries.push_back(entry(name, "x"));
    return node;
}

TEST(Reader, PassOverDamagedNodesAndRecords) {
    LibraryLayout layout;  // a1 a2 a3 | b1 b2 | c1, each node the right neighbour of the one before
    layout.nodes = {nodeOf({"a1", "a2", "a3"}), nodeOf({"b1", "b2"}), nodeOf({"c1"})};
    layout.nodes[0].right = 1;
    layout.nodes[1].right = 2;
    const std::string a1 = "PCODE\\a1", a2 = "PCODE\\a2", a3 = "PCODE\\a3", b1 = "PCODE\\b1",
                      b2 = "PCODE\\b2", c1 = "PCODE\\c1";
    using L = BuiltLibrary;
    struct Case {
        const char* what;
        void (*damage)(L&);
        Names expected;
    };
    // clang-format off
    const Case cases[] = {
        {"intact", [](L&) {}, {a1, a2, a3, b1, b2, c1}},
        {"a record without ENT* ends its node", [](L& l) { l.put32(l.recordOffsets[0][1], 0); },
         {a1, b1, b2, c1}},
        {"so does the first record of the first node", [](L& l) { l.put32(l.recordOffsets[0][0], 0); },
         {b1, b2, c1}},
        {"the first record of a node reached by advancing ends the pass",
         [](L& l) { l.put32(l.recordOffsets[1][0], 0); }, {a1, a2, a3}},
        {"a name length of 0 ends the pass", [](L& l) { l.put16(l.field(0, 1, 14), 0); }, {a1}},
        {"a name past the end ends the pass", [](L& l) { l.put16(l.field(2, 0, 14), 0xFFFF); },
         {a1, a2, a3, b1, b2}},
        {"a huge entry count ends at the first record without ENT*",
         [](L& l) { l.put16(l.nodeOffsets[0] + 20, 0xFFFF); }, {a1, a2, a3, b1, b2, c1}},
        {"records past the entry count are not read", [](L& l) { l.put16(l.nodeOffsets[0] + 20, 2); },
         {a1, a2, b1, b2, c1}},
        {"an empty node is stepped over", [](L& l) { l.put16(l.nodeOffsets[1] + 20, 0); },
         {a1, a2, a3, c1}},
        {"loops and overlapping nodes are cut",
         [](L& l) {
             l.put32(l.nodeOffsets[1] + 4, l.nodeOffsets[1]);
             l.put32(l.nodeOffsets[2] + 12, l.nodeOffsets[0]);
             l.put32(l.nodeOffsets[2] + 4, l.nodeOffsets[2] + 8);
         }, {a1, a2, a3, b1, b2, c1}},
        {"an unreadable node is cut", [](L& l) { l.put32(l.nodeOffsets[1] + 12, l.bytes.size() - 16); },
         {a1, a2, a3, b1, b2}},
    };
    // clang-format on
    for (const Case& c : cases) {
        BuiltLibrary library = buildLibrary(layout);
        c.damage(library);
        EXPECT_EQ(namesOf(library), c.expected) << c.what;
    }
}

TEST(Reader, NodesVisitedAsNodeLeftSubtreeRightNeighbour) {
    LibraryLayout layout;
    layout.nodes = {nodeOf({"root"}), nodeOf({"a"}), nodeOf({"c"}), nodeOf({"b"})};
    layout.nodes[0].left = 1;
    layout.nodes[0].right = 3;
    layout.nodes[1].right = 2;
    const Names expected{"PCODE\\root", "PCODE\\a", "PCODE\\c", "PCODE\\b"};
    EXPECT_EQ(namesOf(buildLibrary(layout)), expected);
    layout.headerOffset = 22528;  // behind a program, found through the trailer
    EXPECT_EQ(namesOf(buildLibrary(layout)), expected);
}

TEST(Reader, StoredNamesGiveKindPrefixAndFitTheirBuffer) {
    std::vector<EntryLayout> entries{entry("", "x"), entry("", "x")};
    entries[0].storedName = Bytes{'o', 'p', 'e', 'n'};  // no terminator
    entries[1].storedName = Bytes{'a', 'b', 0, 'c', 'd', 0};
    for (const char* name : {"w_main.srw", "w_main.SRW", ".srx", "w_main.win", "x.sr",
                             "C:\\img\\logo.bmp", "a/b", "c:logo.gif"})
        entries.push_back(entry(name, "x"));
    entries.push_back(entry(std::string(120, 'n'), "x"));
    entries.push_back(entry(std::string(150, 's') + ".srw", "x"));
    entries.push_back(entry("last.srw", "x"));
    EXPECT_EQ(namesOf(buildLibrary(oneNode(entries))),
              (Names{"PCODE\\open", "PCODE\\ab", "w_main.srw", "w_main.SRW", ".srx",
                     "PCODE\\w_main.win", "PCODE\\x.sr", "RESOURCES\\C:\\img\\logo.bmp",
                     "RESOURCES\\a/b", "RESOURCES\\c:logo.gif", "PCODE\\" + std::string(93, 'n'),
                     std::string(99, 's'), "last.srw"}));
}

TEST(Reader, NodesSharingRecordsDeliverEachRecordOnce) {
    std::vector<EntryLayout> entries;
    for (const unsigned char name : {'a', 'b', 'c', 'd'}) {
        entries.push_back(entry("", ""));
        entries.back().storedName = Bytes(40, 0);  // zero bytes after the name
        entries.back().storedName->front() = name;
    }
    BuiltLibrary library = buildLibrary(oneNode(entries));
    // Two more nodes whose headers lie in those zero bytes just before the
    // root's fourth and third records, so their records are the root's.
    const std::uint32_t second = library.recordOffsets[0][3] - 32;
    const std::uint32_t third = library.recordOffsets[0][2] - 32;
    library.put32(library.nodeOffsets[0] + 12, second);
    library.put32(second + 12, third);
    library.put16(second + 20, 1);
    library.put16(third + 20, 2);
    EXPECT_EQ(namesOf(library), (Names{"PCODE\\a", "PCODE\\b", "PCODE\\c", "PCODE\\d"}));
}

TEST(Reader, DeepTreeIsWalkedWithoutRecursion) {
    constexpr int kDepth = 100000;
    LibraryLayout layout;
    layout.nodeBlockSize = 64;
    layout.nodes.resize(kDepth);
    for (int i = 0; i < kDepth; ++i) {
        layout.nodes[i].entries = {entry("n", "")};
        layout.nodes[i].left = i + 1 < kDepth ? i + 1 : -1;
    }
    EXPECT_EQ(namesOf(buildLibrary(layout)).size(), static_cast<std::size_t>(kDepth));
}

}  // namespace
}  // namespace lorvex::testing
