// Scratch folders and the file lock that marks their owner: a folder of a live run, in this
// process or another, is never removed; one of a run that died is.
#include "common/ScratchFolder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

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

    FileLock moved = std::move(*held);
    held.reset();  // the moved-from object releases nothing
    EXPECT_FALSE(FileLock::TryAcquire(dir / "x.lock"));
    fs::remove(dir / "x.lock");
    EXPECT_FALSE(moved.StillAt(dir / "x.lock"));
    EXPECT_FALSE(FileLock::TryAcquire(dir / "missing" / "x.lock"));
}

TEST(ScratchFolder, EachRunGetsItsOwnFolderThatGoesWithIt) {
    TempDir dir;
    const fs::path parent = dir / "TEMP";
    fs::path first_path;
    {
        std::optional<ScratchFolder> first = ScratchFolder::Create(parent);
        std::optional<ScratchFolder> second = ScratchFolder::Create(parent);
        ASSERT_TRUE(first && second);
        first_path = first->path();
        EXPECT_NE(first_path, second->path());
        EXPECT_EQ(first_path.parent_path(), parent);
        EXPECT_EQ(first_path.filename().string().substr(0, 6), "kotar-");
        EXPECT_EQ(first_path.filename().string().size(), 12u);
        WriteText(first_path / "uLaw01.wav", "x");
        // A later run does not take a live folder for an abandoned one.
        EXPECT_EQ(ScratchFolder::RemoveAbandoned(parent), 0);
        EXPECT_TRUE(fs::exists(first_path / "uLaw01.wav"));

        ScratchFolder moved = std::move(*first);
        first.reset();
        EXPECT_TRUE(fs::exists(first_path / "uLaw01.wav"));
    }
    EXPECT_FALSE(fs::exists(first_path));
    EXPECT_TRUE(fs::is_empty(parent));
    EXPECT_FALSE(ScratchFolder::Create(dir / "no" / "TEMP"));  // the parent's parent must exist
}

TEST(ScratchFolder, OnlyFoldersOfDeadOwnersAreRemoved) {
    TempDir dir;
    const fs::path parent = dir / "TEMP";
    // Left by a run that died: its owner file is there but nobody holds it.
    fs::create_directories(parent / "kotar-Dead01");
    WriteText(parent / "kotar-Dead01" / ".owner", "");
    WriteText(parent / "kotar-Dead01" / "play.ulw", "old");
    fs::create_directories(parent / "kotar-NoOwnr");
    // Not scratch folders: other names, a file of the pattern.
    fs::create_directories(parent / "kotar-toolong1");
    fs::create_directories(parent / "other");
    WriteText(parent / "kotar-File01", "");

    // A live run in another process.
    int to_parent[2];
    int to_child[2];
    ASSERT_EQ(::pipe(to_parent), 0);
    ASSERT_EQ(::pipe(to_child), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::optional<ScratchFolder> live = ScratchFolder::Create(parent);
        const std::string path = live ? live->path().string() : std::string();
        (void)!::write(to_parent[1], path.c_str(), path.size() + 1);
        char byte;
        (void)!::read(to_child[0], &byte, 1);  // held until the test kills this process
        ::_exit(0);
    }
    char buffer[4096] = {};
    std::size_t got = 0;
    while (got == 0 || buffer[got - 1] != '\0') {
        const ssize_t n = ::read(to_parent[0], buffer + got, sizeof buffer - got);
        ASSERT_GT(n, 0);
        got += static_cast<std::size_t>(n);
    }
    const fs::path live_path = buffer;
    ASSERT_FALSE(live_path.empty());
    EXPECT_FALSE(fs::exists(parent / "kotar-Dead01"));  // removed by the child's Create
    EXPECT_FALSE(fs::exists(parent / "kotar-NoOwnr"));

    std::optional<ScratchFolder> mine = ScratchFolder::Create(parent);
    ASSERT_TRUE(mine);
    EXPECT_TRUE(fs::is_directory(live_path));

    // The owner dies without cleaning up: its folder is abandoned now.
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(fs::is_directory(live_path));
    EXPECT_EQ(ScratchFolder::RemoveAbandoned(parent), 1);
    EXPECT_FALSE(fs::exists(live_path));
    EXPECT_TRUE(fs::is_directory(mine->path()));
    EXPECT_TRUE(fs::is_directory(parent / "kotar-toolong1"));
    EXPECT_TRUE(fs::is_directory(parent / "other"));
    EXPECT_TRUE(fs::exists(parent / "kotar-File01"));
    for (int fd : {to_parent[0], to_parent[1], to_child[0], to_child[1]})
        ::close(fd);
}

}  // namespace
}  // namespace kotar
