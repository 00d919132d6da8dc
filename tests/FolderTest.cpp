// Folders held by a handle: what is written, renamed and removed through one
// stays in the folder opened, whatever becomes of its path; folders below are
// made by anyone but never reached through a link; letter case is probed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Folder.h"
#include "tests/support/TestFiles.h"

namespace lorvex::testing {
namespace {

using platform::Folder;

TEST(Folder, StaysWithTheFolderItOpenedWhenItsPathTurnsIntoALink) {
    struct Swap {
        const char *path, *movedTo, *link;
        bool below;                     // the folder below the one named, or the one named
        std::vector<std::string> left;  // in the folder moved away
    };
    const Swap swaps[] = {{"out", "moved", "victim", false, {"lib", "new", "put", "sub"}},
                          {"out/lib", "moved", "../victim", true, {"new", "put", "sub"}}};
    for (const Swap& swap : swaps) {
        SCOPED_TRACE(swap.path);
        ScopedTempDir dir;
        ASSERT_EQ(mkdir("out", 0777) | mkdir("victim", 0777), 0);
        Folder out, lib, sub;
        std::string reason, temporary;
        ASSERT_TRUE(out.open("out", reason) && out.makeFolder("lib", lib, reason)) << reason;
        for (const char* old : {"out/old", "out/lib/old", "victim/old"}) std::ofstream(old) << old;
        ASSERT_EQ(rename(swap.path, swap.movedTo) | symlink(swap.link, swap.path), 0);
        const Folder& folder = swap.below ? lib : out;
        int file = -1, other = -1;
        EXPECT_TRUE(folder.createForWriting("new", {}, file, reason) &&
                    platform::writeAll(file, "n", 1, reason) && platform::closeFile(file, reason));
        EXPECT_TRUE(folder.createTemporaryFor("put", other, temporary, reason) &&
                    platform::closeFile(other, reason) && folder.rename(temporary, "put", reason));
        EXPECT_TRUE(folder.remove("old", reason) && folder.makeFolder("sub", sub, reason));
        platform::FolderLock lock;
        EXPECT_TRUE(lock.acquire(folder, [] {}, reason)) << reason;
        platform::FileComparer comparer;
        platform::FileIdentity identity;
        EXPECT_TRUE(comparer.holds(folder, "new", "n", identity) &&
                    folder.look("sub").kind == platform::ItemKind::Folder)
            << reason;
        EXPECT_EQ(filesIn(swap.movedTo), swap.left);
        EXPECT_EQ(filesIn("victim"), std::vector<std::string>{"old"});
        EXPECT_EQ(readFile("victim/old"), "victim/old");
    }
}

TEST(Folder, MakesFoldersAnyoneMadeButNeverOneThroughALink) {
    struct Case {
        const char* name;
        bool made;
        const char* reason;
    };
    // clang-format off
    const Case cases[] = {
        {"new", true, ""}, {"made", true, ""},  // another run made it a moment ago
        {"link", false, "is a symbolic link, which is not followed"},
        {"dangling", false, "is a symbolic link, which is not followed"},
        {"file", false, "is not a folder"}, {"..", false, "is not a folder"},
        {"made/new", false, "is not a name in the folder"},
    };
    // clang-format on
    ScopedTempDir dir;
    ASSERT_EQ(mkdir("made", 0777) | symlink("made", "link") | symlink("none", "dangling"), 0);
    std::ofstream("file") << "";
    Folder here;
    std::string reason;
    ASSERT_TRUE(here.open("", reason));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder child;
        reason.clear();
        EXPECT_EQ(here.makeFolder(c.name, child, reason), c.made);
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(child.isOpen() ? child.path() : "", c.made ? c.name : "");
        EXPECT_EQ(here.openFolder(c.name, child, reason), c.made);
    }
    EXPECT_EQ(filesIn("made"), std::vector<std::string>{});
}

TEST(Folder, TellsWhetherItIgnoresLetterCase) {
    ScopedTempDir dir;
    ASSERT_EQ(mkdir("2024", 0777) | mkdir("both", 0777) | mkdir("named", 0777), 0);
    for (const char* file : {"both/a", "both/A", "named/W_A.srw"}) std::ofstream{file};
    // A file system here tells case apart, found by writing or by looking, and
    // the probe leaves nothing behind; a test's answer stands for every folder.
    for (const char* path : {"2024", "both", "named"}) {
        SCOPED_TRACE(path);
        Folder folder;
        std::string reason;
        ASSERT_TRUE(folder.open(path, reason));
        const std::vector<std::string> before = filesIn(path);
        EXPECT_FALSE(platform::folderIgnoresCase(folder, true) ||
                     platform::folderIgnoresCase(folder, false));
        EXPECT_EQ(filesIn(path), before);
        EXPECT_TRUE(platform::CaseProbe{true}.ignoresCase(folder, false));
        EXPECT_FALSE(platform::CaseProbe{}.ignoresCase(folder, true));
    }
}

}  // namespace
}  // namespace lorvex::testing
