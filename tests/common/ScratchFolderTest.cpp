// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch folders and the file lock that marks their owner: a folder of a live run is never
// removed; one of a run that died is. (The lock belongs to an open handle, so a handle of this
// process stands for another process here.)
#include "common/ScratchFolder.h"

#include <gtest/gtest.h>

#include "TempDir.h"

namespace kotar {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteText;

TEST(FileLock, IsHeldAgainstEveryOtherHandleUntilReleased) {
    TempDir dir;
    std::optional<FileLock> held = FileLock::Acquire(dir / "x.lock");
    ASSERT_TRUE(held);
    EXPECT_TRUE(fs::exists(dir / "x.lock"));
    EXPECT_FALSE(FileLock::TryAcquire(dir / "x.lock"));  // also within this process
    EXPECT_TRUE(held->StillAt(dir / "x.lock"));
    std::optional<FileLock> folder = FileLock::TryAcquire(dir.path());
    EXPECT_TRUE(folder);
    EXPECT_FALSE(FileLock::TryAcquire(dir.path()));

    fs::remove(dir / "x.lock");
    // (A system that keeps an open file's name until it is closed, as Wine does, has not
    // removed it yet.)
    if (!fs::exists(dir / "x.lock")) {
        EXPECT_FALSE(held->StillAt(dir / "x.lock"));
    }
    EXPECT_FALSE(FileLock::TryAcquire(dir / "missing" / "x.lock"));
}

TEST(ScratchFolder, GoesWithItsLastOwner) {
    TempDir dir;
    fs::path path;
    {
        std::optional<ScratchFolder> first = ScratchFolder::Create(dir / "TEMP");
        ASSERT_TRUE(first);
        path = first->path();
        WriteText(path / "uLaw01.wav", "x");
        ScratchFolder moved = std::move(*first);
        first.reset();
        EXPECT_TRUE(fs::exists(path / "uLaw01.wav"));
        EXPECT_EQ(ScratchFolder::RemoveAbandoned(dir / "TEMP"), 0);  // still owned
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(ScratchFolder::Create(dir / "no" / "TEMP"));  // the parent's parent must exist
}

TEST(ScratchFolder, OnlyFoldersOfDeadOwnersAreRemoved) {
    TempDir dir;
    const fs::path parent = dir / "TEMP";
    // Left by a run that died: the owner file is there but nobody holds it, or the run died
    // before it made one.
    fs::create_directories(parent / "kotar-Dead01");
    WriteText(parent / "kotar-Dead01" / ".owner", "");
    WriteText(parent / "kotar-Dead01" / "play.ulw", "old");
    fs::create_directories(parent / "kotar-NoOwnr");
    // Of a live run of another copy: its owner lock is held.
    fs::create_directories(parent / "kotar-Live01");
    std::optional<FileLock> live_owner = FileLock::Acquire(parent / "kotar-Live01" / ".owner");
    ASSERT_TRUE(live_owner);
    // Not scratch folders: other names, a file of the pattern.
    fs::create_directories(parent / "kotar-toolong1");
    fs::create_directories(parent / "other");
    WriteText(parent / "kotar-File01", "");

    std::optional<ScratchFolder> mine = ScratchFolder::Create(parent);
    ASSERT_TRUE(mine);
    EXPECT_FALSE(fs::exists(parent / "kotar-Dead01"));
    EXPECT_FALSE(fs::exists(parent / "kotar-NoOwnr"));
    EXPECT_TRUE(fs::is_directory(parent / "kotar-Live01"));

    live_owner.reset();  // that copy dies: the system drops its lock
    EXPECT_EQ(ScratchFolder::RemoveAbandoned(parent), 1);
    EXPECT_FALSE(fs::exists(parent / "kotar-Live01"));
    EXPECT_TRUE(fs::is_directory(mine->path()));
    EXPECT_TRUE(fs::is_directory(parent / "kotar-toolong1"));
    EXPECT_TRUE(fs::is_directory(parent / "other"));
    EXPECT_TRUE(fs::exists(parent / "kotar-File01"));
}

TEST(ScratchFolder, ALinkWithAScratchNameIsNeitherFollowedNorEmptied) {
    TempDir dir;
    const fs::path parent = dir / "TEMP";
    fs::create_directories(parent);
    // A folder of the user's, with what an abandoned scratch folder would hold.
    fs::create_directories(dir / "Documents");
    WriteText(dir / "Documents" / ".owner", "");
    WriteText(dir / "Documents" / "report.txt", "keep");
    std::error_code ec;
    fs::create_directory_symlink(dir / "Documents", parent / "kotar-Link01", ec);
    if (ec)
        GTEST_SKIP() << "no symbolic links here: " << ec.message();

    EXPECT_EQ(ScratchFolder::RemoveAbandoned(parent), 0);
    EXPECT_TRUE(fs::is_symlink(parent / "kotar-Link01"));
    EXPECT_EQ(test::EntryNames(dir / "Documents"),
              (std::vector<std::string>{".owner", "report.txt"}));
}

}  // namespace
}  // namespace kotar
