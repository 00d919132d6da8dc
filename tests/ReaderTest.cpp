#include <gtest/gtest.h>

#include "library/LibraryReader.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

// All display names of one pass, in iteration order.
std::vector<std::string> passNames(LibraryReader& reader) {
    std::vector<std::string> names;
    if (!reader.rewind()) return names;
    while (reader.next()) names.emplace_back(reader.current().displayName);
    return names;
}

std::vector<std::string> namesOf(const BuiltLibrary& library) {
    ScopedTempDir dir;
    if (!library.writeTo("lib.pbl")) return {"<not written>"};
    LibraryReader reader;
    if (!reader.open("lib.pbl", false)) return {"<not opened>"};
    return passNames(reader);
}

NodeLayout nodeOf(std::vector<std::string> names) {
    NodeLayout node;
    for (const std::string& name : names) node.entries.push_back(entry(name, "x"));
    return node;
}

using Names = std::vector<std::string>;

TEST(Reader, HeaderFoundWithAndWithoutTrailer) {
    LibraryLayout plain;
    plain.nodes = {nodeOf({"a.srw"})};
    const BuiltLibrary atStart = buildLibrary(plain);
    EXPECT_EQ(atStart.nodeOffsets[0], 1024U);
    EXPECT_EQ(namesOf(atStart), Names{"a.srw"});

    LibraryLayout executable = plain;
    executable.trailer = true;
    executable.headerOffset = 22528;  // a program in front of the library
    const BuiltLibrary behind = buildLibrary(executable);
    EXPECT_EQ(behind.nodeOffsets[0], 22528U + 1024U);
    EXPECT_EQ(namesOf(behind), Names{"a.srw"});
    // Offsets inside nodes are absolute: the data block is found as stored.
    ScopedTempDir dir;
    ASSERT_TRUE(behind.writeTo("app.exe"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("app.exe", false));
    ASSERT_TRUE(reader.rewind() && reader.next());
    EXPECT_EQ(reader.current().firstBlock, behind.blockOffsets[0][0][0]);
}

TEST(Reader, NodeListVisitsNodeThenLeftSubtreeThenRightNeighbour) {
    LibraryLayout layout;
    layout.nodes = {nodeOf({"root"}), nodeOf({"a"}), nodeOf({"c"}), nodeOf({"b"})};
    layout.nodes[0].left = 1;   // A
    layout.nodes[0].right = 3;  // B
    layout.nodes[1].right = 2;  // C, A's right neighbour
    EXPECT_EQ(namesOf(buildLibrary(layout)),
              (Names{"PCODE\\root", "PCODE\\a", "PCODE\\c", "PCODE\\b"}));
}

TEST(Reader, MissingEntryMagicEndsNodeOrPass) {
    LibraryLayout layout;
    layout.nodes = {nodeOf({"a1", "a2", "a3"}), nodeOf({"b1", "b2"}), nodeOf({"c1"})};
    layout.nodes[0].right = 1;
    layout.nodes[1].right = 2;

    BuiltLibrary inNode = buildLibrary(layout);
    inNode.dropEntryMagic(0, 1);  // the rest of the first node is skipped
    EXPECT_EQ(namesOf(inNode), (Names{"PCODE\\a1", "PCODE\\b1", "PCODE\\b2", "PCODE\\c1"}));

    BuiltLibrary advanced = buildLibrary(layout);
    advanced.dropEntryMagic(1, 0);  // first record of a node reached by advancing: the pass ends
    EXPECT_EQ(namesOf(advanced), (Names{"PCODE\\a1", "PCODE\\a2", "PCODE\\a3"}));

    BuiltLibrary first = buildLibrary(layout);
    first.dropEntryMagic(0, 0);  // first record of the first node: on to the next node
    EXPECT_EQ(namesOf(first), (Names{"PCODE\\b1", "PCODE\\b2", "PCODE\\c1"}));
}

TEST(Reader, EmptyNodesAreSteppedOver) {
    LibraryLayout layout;
    layout.nodes = {NodeLayout{}, NodeLayout{}, nodeOf({"c"})};
    layout.nodes[0].right = 1;
    layout.nodes[1].right = 2;
    EXPECT_EQ(namesOf(buildLibrary(layout)), Names{"PCODE\\c"});

    LibraryLayout empty;
    empty.nodes = {NodeLayout{}};
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(empty).writeTo("empty.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("empty.pbl", false));
    EXPECT_TRUE(reader.rewind());
    EXPECT_FALSE(reader.next());
}

TEST(Reader, StoredNamesDecideKindAndDisplayName) {
    struct Case {
        const char* stored;
        EntryKind kind;
        const char* display;
    };
    const Case cases[] = {
        {"w_main.srw", EntryKind::Source, "w_main.srw"},
        {"w_main.SRW", EntryKind::Source, "w_main.SRW"},
        {"app.sra", EntryKind::Source, "app.sra"},
        {"w_main.win", EntryKind::Pcode, "PCODE\\w_main.win"},
        {"C:\\img\\logo.bmp", EntryKind::Resource, "RESOURCES\\C:\\img\\logo.bmp"},
        {"a/b", EntryKind::Resource, "RESOURCES\\a/b"},
        {"abc", EntryKind::Pcode, "PCODE\\abc"},
        {"x.sr", EntryKind::Pcode, "PCODE\\x.sr"},
        {".srx", EntryKind::Source, ".srx"},
    };
    LibraryLayout layout;
    layout.nodes.resize(1);
    for (const Case& c : cases) layout.nodes[0].entries.push_back(entry(c.stored, "data"));
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(layout).writeTo("lib.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("lib.pbl", false));
    ASSERT_TRUE(reader.rewind());
    for (const Case& c : cases) {
        ASSERT_TRUE(reader.next()) << c.stored;
        EXPECT_EQ(reader.current().kind, c.kind) << c.stored;
        EXPECT_STREQ(reader.current().displayName, c.display);
    }
    EXPECT_FALSE(reader.next());
}

TEST(Reader, ListedSizeOfSourceIsItsExportSize) {
    LibraryLayout layout;
    layout.nodes.resize(1);
    EntryLayout plain = entry("w_main.srw", std::string(100, 'x'));  // a 10-character name
    EntryLayout commented = plain;
    commented.commentLength = 5;
    EntryLayout compiled = entry("w_main.win", std::string(100, 'x'));
    layout.nodes[0].entries = {plain, commented, compiled};
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(layout).writeTo("lib.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("lib.pbl", false));
    ASSERT_TRUE(reader.rewind());
    for (std::uint32_t expected : {128U, 148U, 100U}) {
        ASSERT_TRUE(reader.next());
        EXPECT_EQ(reader.current().listedSize, expected);
    }
}

TEST(Reader, BaseNameOffsetSkipsDirectoriesButNeverPositionZero) {
    EXPECT_EQ(LibraryReader::baseNameOffset("PCODE\\w_main.win"), 6U);
    EXPECT_EQ(LibraryReader::baseNameOffset("w_main.srw"), 0U);
    EXPECT_EQ(LibraryReader::baseNameOffset("\\abc"), 0U);
    EXPECT_EQ(LibraryReader::baseNameOffset("RESOURCES\\C:\\img/logo.bmp"), 17U);
    EXPECT_EQ(LibraryReader::baseNameOffset("RESOURCES\\dir\\"), 14U);
    EXPECT_EQ(LibraryReader::baseNameOffset(""), 0U);
}

TEST(Reader, AwkwardNamesStayInTheirBufferAndKeepTheRecordPosition) {
    LibraryLayout layout;
    layout.nodes.resize(1);
    EntryLayout longName = entry(std::string(120, 'n'), "x");
    EntryLayout unterminated = entry("", "x");
    unterminated.storedName = bytesOf("open.win");  // no terminating zero
    EntryLayout innerZero = entry("", "x");
    innerZero.storedName = Bytes{'a', 'b', 0, 'c', 'd', 0};
    EntryLayout longSource = entry(std::string(150, 's') + ".srw", "x");
    layout.nodes[0].entries = {longName, unterminated, innerZero, longSource,
                               entry("last.srw", "x")};
    EXPECT_EQ(namesOf(buildLibrary(layout)),
              (Names{"PCODE\\" + std::string(93, 'n'), "PCODE\\open.win", "PCODE\\ab",
                     std::string(99, 's'), "last.srw"}));
}

TEST(Reader, BadNameLengthsEndThePass) {
    LibraryLayout layout;
    layout.nodes = {nodeOf({"a", "b"}), nodeOf({"c"})};
    layout.nodes[0].right = 1;
    BuiltLibrary zero = buildLibrary(layout);
    zero.setNameLength(0, 1, 0);
    EXPECT_EQ(namesOf(zero), Names{"PCODE\\a"});
    BuiltLibrary huge = buildLibrary(layout);
    huge.setNameLength(1, 0, 0xFFFF);  // runs past the end of the file
    EXPECT_EQ(namesOf(huge), (Names{"PCODE\\a", "PCODE\\b"}));
}

TEST(Reader, DeepTreeIsWalkedWithoutRecursion) {
    constexpr int kDepth = 100000;
    LibraryLayout layout;
    layout.nodeBlockSize = 64;
    layout.nodes.resize(kDepth);
    for (int i = 0; i < kDepth; ++i) {
        EntryLayout e = entry("n", "");
        e.noBlocks = true;
        layout.nodes[static_cast<std::size_t>(i)].entries = {e};
        if (i + 1 < kDepth) layout.nodes[static_cast<std::size_t>(i)].left = i + 1;
    }
    ScopedTempDir dir;
    ASSERT_TRUE(buildLibrary(layout).writeTo("deep.pbl"));
    LibraryReader reader;
    ASSERT_TRUE(reader.open("deep.pbl", false));
    EXPECT_EQ(reader.nodes().size(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(passNames(reader).size(), static_cast<std::size_t>(kDepth));
}

TEST(Reader, TreeIsCutWhereItLoopsOrCannotBeRead) {
    LibraryLayout layout;
    layout.nodes = {nodeOf({"root"}), nodeOf({"a"}), nodeOf({"b"})};
    layout.nodes[0].left = 1;
    layout.nodes[0].right = 2;
    const Names all{"PCODE\\root", "PCODE\\a", "PCODE\\b"};

    BuiltLibrary selfLoop = buildLibrary(layout);
    selfLoop.setLeft(1, selfLoop.nodeOffsets[1]);
    selfLoop.setRight(1, selfLoop.nodeOffsets[0]);
    EXPECT_EQ(namesOf(selfLoop), all);

    BuiltLibrary backToRoot = buildLibrary(layout);
    backToRoot.setRight(2, backToRoot.nodeOffsets[0]);
    backToRoot.setLeft(2, backToRoot.nodeOffsets[2] + 8);  // overlaps its own header
    EXPECT_EQ(namesOf(backToRoot), all);

    BuiltLibrary pastEnd = buildLibrary(layout);
    pastEnd.setLeft(0, static_cast<std::uint32_t>(pastEnd.bytes.size() - 16));
    EXPECT_EQ(namesOf(pastEnd), (Names{"PCODE\\root", "PCODE\\b"}));
}

}  // namespace
}  // namespace lorvex::testing
