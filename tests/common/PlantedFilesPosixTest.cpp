// What another user can plant under the name of a lock file or of the private folder (a pipe, a
// link, a file of their own) never hangs the program and never passes for one of its own locks.
// The tests run as root, so a file of "another user" is one given to nobody (65534).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

constexpr uid_t kNobody = 65534;

void GiveToNobody(const fs::path& path) {
    ASSERT_EQ(::lchown(path.c_str(), kNobody, kNobody), 0) << path;
}

class PlantedLock : public ::testing::TestWithParam<LockOwner> {};

TEST_P(PlantedLock, APipeOrALinkIsNeitherWaitedOnNorFollowed) {
    TempDir dir;
    ASSERT_TRUE(test::MakeSpecialFile(dir / "pipe.lock"));
    LockFailure failure = LockFailure::None;
    {
        PipeWatchdog watchdog(dir / "pipe.lock");
        EXPECT_FALSE(FileLock::TryAcquire(dir / "pipe.lock", GetParam(), &failure));
        EXPECT_EQ(failure, LockFailure::NotARegularFile);
        EXPECT_FALSE(FileLock::Acquire(dir / "pipe.lock", GetParam(), &failure));
        EXPECT_FALSE(watchdog.Fired());
    }
    WriteText(dir / "victim", "mine");
    fs::create_symlink(dir / "victim", dir / "link.lock");
    EXPECT_FALSE(FileLock::TryAcquire(dir / "link.lock", GetParam(), &failure));
    EXPECT_EQ(failure, LockFailure::NotARegularFile);
    EXPECT_TRUE(FileLock::TryAcquire(dir / "victim", GetParam()));  // it was not locked
}

TEST_P(PlantedLock, AnotherUsersFileIsALockOnlyWhereLocksAreShared) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    TempDir dir;
    WriteText(dir / "x.lock", "");
    GiveToNobody(dir / "x.lock");
    LockFailure failure = LockFailure::None;
    const bool shared = GetParam() == LockOwner::Anyone;
    EXPECT_EQ(FileLock::TryAcquire(dir / "x.lock", GetParam(), &failure).has_value(), shared);
    EXPECT_EQ(failure, shared ? LockFailure::None : LockFailure::OtherOwner);
    // A new lock file can be opened by the other users exactly where they share it.
    ASSERT_TRUE(FileLock::TryAcquire(dir / "new.lock", GetParam()));
    EXPECT_EQ(fs::status(dir / "new.lock").permissions() & fs::perms::others_read,
              shared ? fs::perms::others_read : fs::perms::none);
}

INSTANTIATE_TEST_SUITE_P(Owners, PlantedLock, ::testing::Values(LockOwner::Anyone, LockOwner::User),
                         [](const auto& owner) {
                             return owner.param == LockOwner::Anyone ? "Shared" : "UsersOwn";
                         });

TEST(PlantedFiles, APipeBesideTheIniFailsItsWritesAndReadsAsNoFileAtOnce) {
    TempDir dir;
    WriteText(dir / "MEVAN.INI", "[CONFIG]\r\nPORT=1\r\n");
    ASSERT_TRUE(test::MakeSpecialFile(dir / "MEVAN.INI.lock"));
    ASSERT_TRUE(test::MakeSpecialFile(dir / "PIPE.INI"));
    PipeWatchdog lock_watchdog(dir / "MEVAN.INI.lock");
    PipeWatchdog ini_watchdog(dir / "PIPE.INI");

    ProfileFile ini(dir / "MEVAN.INI");
    EXPECT_FALSE(ini.WriteInt("CONFIG", "PORT", 2));
    EXPECT_EQ(ReadText(dir / "MEVAN.INI"), "[CONFIG]\r\nPORT=1\r\n");
    EXPECT_EQ(ProfileFile(dir / "PIPE.INI").GetValue("CONFIG", "PORT"), std::nullopt);
    EXPECT_FALSE(lock_watchdog.Fired());
    EXPECT_FALSE(ini_watchdog.Fired());
}

TEST(PlantedFiles, TheScratchCleanUpLeavesPlantedOwnerFilesAlone) {
    TempDir dir;
    const fs::path parent = dir / "TEMP";
    fs::create_directories(parent / "kotar-Pipe01");
    ASSERT_TRUE(test::MakeSpecialFile(parent / "kotar-Pipe01" / ".owner"));
    PipeWatchdog watchdog(parent / "kotar-Pipe01" / ".owner");
    if (::geteuid() == 0) {
        // Another user's run: its folder is that user's to clean.
        fs::create_directories(parent / "kotar-Othr01");
        WriteText(parent / "kotar-Othr01" / ".owner", "");
        WriteText(parent / "kotar-Othr01" / "play.ulw", "theirs");
        GiveToNobody(parent / "kotar-Othr01" / ".owner");
    }

    EXPECT_EQ(ScratchFolder::RemoveAbandoned(parent), 0);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(fs::exists(parent / "kotar-Pipe01"));
    if (::geteuid() == 0) {
        EXPECT_EQ(ReadText(parent / "kotar-Othr01" / "play.ulw"), "theirs");
    }
}

class RuntimeFolder : public ::testing::Test {
protected:
    RuntimeFolder() {
        environment_.Set("XDG_RUNTIME_DIR", nullptr);
        environment_.Set("TMPDIR", dir_.path().c_str());
    }
    fs::path Fallback() const { return dir_ / ("kotar-" + std::to_string(::geteuid())); }

    TempDir dir_;
    test::ScopedEnvironment environment_;
};

TEST_F(RuntimeFolder, TheSessionsFolderServesOnlyWhenClosedToOthers) {
    fs::create_directory(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
    environment_.Set("XDG_RUNTIME_DIR", (dir_ / "run").c_str());
    EXPECT_EQ(UserRuntimeFolder().path, dir_ / "run");

    fs::permissions(dir_ / "run", fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::add);
    const PrivateFolder fallback = UserRuntimeFolder();
    EXPECT_EQ(fallback.path, Fallback());
    EXPECT_EQ(fallback.problem, FolderProblem::None);
    EXPECT_EQ(fs::status(Fallback()).permissions() & fs::perms::all, fs::perms::owner_all);
    // The session's folder is not changed.
    EXPECT_NE(fs::status(dir_ / "run").permissions() & fs::perms::group_read, fs::perms::none);
}

TEST_F(RuntimeFolder, AFallbackFolderThatIsNotTheUsersOwnIsRefused) {
    fs::create_directory(Fallback());
    fs::permissions(Fallback(), fs::perms::all);
    EXPECT_EQ(UserRuntimeFolder().problem, FolderProblem::None);  // own: closed to others again
    EXPECT_EQ(fs::status(Fallback()).permissions() & fs::perms::all, fs::perms::owner_all);

    fs::remove(Fallback());
    fs::create_directory(dir_ / "elsewhere");
    fs::create_directory_symlink(dir_ / "elsewhere", Fallback());
    EXPECT_EQ(UserRuntimeFolder().problem, FolderProblem::NotAFolder);

    if (::geteuid() == 0) {
        fs::remove(Fallback());
        fs::create_directory(Fallback());
        GiveToNobody(Fallback());
        const PrivateFolder taken = UserRuntimeFolder();
        EXPECT_EQ(taken.path, Fallback());
        EXPECT_EQ(taken.problem, FolderProblem::OtherOwner);
    }
}

}  // namespace
}  // namespace kotar
