// SPDX-License-Identifier: GPL-3.0-or-later
// What another user can plant under the name of a lock file or of the private folder (a pipe, a
// link, a file of their own) never hangs the program and never passes for one of its own locks.
// The tests run as root, so a file of "another user" is one given to nobody (65534).
#include <unistd.h>

#include <gtest/gtest.h>

#include "PipeWatchdog.h"
#include "ScopedEnvironment.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "common/FileLock.h"
#include "common/ProcessFolders.h"
#include "common/ProfileFile.h"
#include "common/ScratchFolder.h"

namespace kotar {
namespace {

namespace fs = std::filesystem;
using test::PipeWatchdog;
using test::ReadText;
using test::TempDir;
using test::WriteText;

bool GiveToNobody(const fs::path& path) {
    return ::geteuid() == 0 && ::lchown(path.c_str(), 65534, 65534) == 0;
}

TEST(PlantedFiles, APipeOrALinkIsNeverALockAndAnotherUsersFileOnlyASharedOne) {
    TempDir dir;
    ASSERT_TRUE(test::MakeSpecialFile(dir / "pipe.lock"));
    WriteText(dir / "victim", "");
    fs::create_symlink(dir / "victim", dir / "link.lock");
    WriteText(dir / "theirs.lock", "");
    const bool planted_theirs = GiveToNobody(dir / "theirs.lock");
    for (const LockOwner owner : {LockOwner::Anyone, LockOwner::User}) {
        PipeWatchdog watchdog(dir / "pipe.lock");
        LockFailure failure = LockFailure::None;
        EXPECT_FALSE(FileLock::Acquire(dir / "pipe.lock", owner, &failure));
        EXPECT_EQ(failure, LockFailure::NotARegularFile);
        EXPECT_FALSE(FileLock::Acquire(dir / "link.lock", owner, &failure));
        EXPECT_EQ(failure, LockFailure::NotARegularFile);
        EXPECT_FALSE(watchdog.Fired());
        if (planted_theirs) {
            EXPECT_EQ(FileLock::TryAcquire(dir / "theirs.lock", owner).has_value(),
                      owner == LockOwner::Anyone);
        }
    }
    EXPECT_TRUE(FileLock::TryAcquire(dir / "victim"));  // the link led nowhere
}

TEST(PlantedFiles, APipeBesideTheIniFailsItsWritesAndAPipeAsTheIniReadsAsNoFile) {
    TempDir dir;
    WriteText(dir / "MEVAN.INI", "[CONFIG]\r\nPORT=1\r\n");
    ASSERT_TRUE(test::MakeSpecialFile(dir / "MEVAN.INI.lock"));
    ASSERT_TRUE(test::MakeSpecialFile(dir / "PIPE.INI"));
    PipeWatchdog lock_watchdog(dir / "MEVAN.INI.lock");
    PipeWatchdog ini_watchdog(dir / "PIPE.INI");

    EXPECT_FALSE(ProfileFile(dir / "MEVAN.INI").WriteInt("CONFIG", "PORT", 2));
    EXPECT_EQ(ReadText(dir / "MEVAN.INI"), "[CONFIG]\r\nPORT=1\r\n");
    EXPECT_EQ(ProfileFile(dir / "PIPE.INI").GetValue("CONFIG", "PORT"), std::nullopt);
    EXPECT_FALSE(lock_watchdog.Fired());
    EXPECT_FALSE(ini_watchdog.Fired());
}

TEST(PlantedFiles, TheScratchCleanUpLeavesPlantedOwnerFilesAlone) {
    TempDir dir;
    fs::create_directories(dir / "kotar-Pipe01");
    ASSERT_TRUE(test::MakeSpecialFile(dir / "kotar-Pipe01" / ".owner"));
    PipeWatchdog watchdog(dir / "kotar-Pipe01" / ".owner");
    // Another user's run: its folder is that user's to clean.
    fs::create_directories(dir / "kotar-Othr01");
    WriteText(dir / "kotar-Othr01" / ".owner", "");
    const bool planted_theirs = GiveToNobody(dir / "kotar-Othr01" / ".owner");

    EXPECT_EQ(ScratchFolder::RemoveAbandoned(dir.path()), planted_theirs ? 0 : 1);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(fs::exists(dir / "kotar-Pipe01"));
    EXPECT_EQ(fs::exists(dir / "kotar-Othr01"), planted_theirs);
}

TEST(PlantedFiles, ThePrivateFolderIsTheSessionsOnlyWhenClosedToOthersElseOneOfTheUsersOwn) {
    TempDir dir;
    test::ScopedEnvironment environment;
    environment.Set("TMPDIR", dir.path().c_str());
    fs::create_directory(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    environment.Set("XDG_RUNTIME_DIR", (dir / "run").c_str());
    EXPECT_EQ(UserRuntimeFolder().path, dir / "run");

    // Open to others: passed over, and left as it is.
    fs::permissions(dir / "run", fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::add);
    const fs::path fallback = dir / ("kotar-" + std::to_string(::geteuid()));
    fs::create_directory(fallback);
    fs::permissions(fallback, fs::perms::all);
    EXPECT_EQ(UserRuntimeFolder().path, fallback);
    EXPECT_EQ(UserRuntimeFolder().problem, FolderProblem::None);
    EXPECT_EQ(fs::status(fallback).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_NE(fs::status(dir / "run").permissions() & fs::perms::group_read, fs::perms::none);

    fs::remove(fallback);
    fs::create_directory_symlink(dir / "run", fallback);
    EXPECT_EQ(UserRuntimeFolder().problem, FolderProblem::NotAFolder);
}

}  // namespace
}  // namespace kotar
