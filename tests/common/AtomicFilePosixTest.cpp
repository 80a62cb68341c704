// The order in which a replacement reaches the disk: the new file is flushed before it is
// renamed over the old one, and the folder after that, so that a power cut can bring back
// neither a half-written file nor the old one once the save was reported.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <cerrno>
#include <string>
#include <vector>

#include "SystemFaults.h"
#include "TempDir.h"
#include "common/AtomicFile.h"
#include "common/AtomicFileCalls.h"

namespace kotar {
namespace {

using test::ReadText;
using test::TempDir;

// The calls as the replacement made them: "flush file <inode>", "flush folder <inode>" and
// "rename <from's inode> over <to>".
std::vector<std::string> g_calls;
bool g_fail_folder_flush = false;

std::string Kind(const struct stat& st) {
    return (S_ISDIR(st.st_mode) ? "folder " : "file ") + std::to_string(st.st_ino);
}

int RecordingFlush(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    g_calls.push_back("flush " + Kind(st));
    if (g_fail_folder_flush && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return 0;
}

int RecordingRename(const char* from, const char* to) {
    struct stat st {};
    ::stat(from, &st);
    g_calls.push_back("rename " + Kind(st) + " over " + std::filesystem::path(to).string());
    return ::rename(from, to);
}

class ReplacementOrder : public ::testing::Test {
protected:
    ReplacementOrder() : saved_(ReplacementCalls()) {
        g_calls.clear();
        g_fail_folder_flush = false;
        ReplacementCalls() = {RecordingFlush, RecordingRename};
    }
    ~ReplacementOrder() override { ReplacementCalls() = saved_; }

    const AtomicFileCalls saved_;
    TempDir dir_;
};

TEST_F(ReplacementOrder, TheFileIsFlushedThenRenamedThenTheFolderFlushed) {
    ASSERT_TRUE(WriteFileAtomically(dir_ / "MEVAN.INI", std::string_view("new")));
    const std::string file = "file " + std::to_string(test::FileIdentity(dir_ / "MEVAN.INI"));
    const std::string folder = "folder " + std::to_string(test::FileIdentity(dir_.path()));
    EXPECT_EQ(g_calls,
              (std::vector<std::string>{"flush " + file,
                                        "rename " + file + " over " + (dir_ / "MEVAN.INI").string(),
                                        "flush " + folder}));

    // An intermediate file is not waited for.
    g_calls.clear();
    ASSERT_TRUE(ReplaceFileQuickly(dir_ / "uLaw01.wav", {}));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].rfind("rename ", 0), 0u);
}

TEST_F(ReplacementOrder, AFolderThatCannotBeFlushedIsNoReportedSave) {
    g_fail_folder_flush = true;
    EXPECT_FALSE(WriteFileAtomically(dir_ / "MEVAN.INI", std::string_view("new")));
    EXPECT_EQ(ReadText(dir_ / "MEVAN.INI"), "new");  // in place, but not known to be safe
}

}  // namespace
}  // namespace kotar
