// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which a replacement reaches the disk: the new file is flushed before it is
// renamed over the old one, and the folder after that, so that a power cut can bring back
// neither a half-written file nor the old one once the save was reported.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <cerrno>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/AtomicFile.h"
#include "common/AtomicFileCalls.h"

namespace kotar {
namespace {

// The calls as made: "flush <kind>", "rename <kind of the source>", kind "file" or "folder"
// with the inode, which tells the new file from the old one.
std::vector<std::string> g_calls;
int g_folder_flush_error = 0;

std::string Kind(const struct stat& st) {
    return (S_ISDIR(st.st_mode) ? "folder " : "file ") + std::to_string(st.st_ino);
}

const AtomicFileCalls kRecording{[](int fd) {
                                     struct stat st {};
                                     ::fstat(fd, &st);
                                     g_calls.push_back("flush " + Kind(st));
                                     errno = S_ISDIR(st.st_mode) ? g_folder_flush_error : 0;
                                     return errno == 0 ? 0 : -1;
                                 },
                                 [](const char* from, const char* to) {
                                     struct stat st {};
                                     ::stat(from, &st);
                                     g_calls.push_back("rename " + Kind(st));
                                     return ::rename(from, to);
                                 }};

struct Recording {
    Recording() { ReplacementCalls() = kRecording; }
    ~Recording() { ReplacementCalls() = saved; }
    const AtomicFileCalls saved = ReplacementCalls();
};

TEST(AtomicFile, TheFileIsFlushedThenRenamedThenTheFolderFlushed) {
    test::TempDir dir;
    const Recording recording;
    ASSERT_TRUE(WriteFileAtomically(dir / "MEVAN.INI", std::string_view("new")));
    struct stat file {};
    struct stat folder {};
    ::stat((dir / "MEVAN.INI").c_str(), &file);
    ::stat(dir.path().c_str(), &folder);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"flush " + Kind(file), "rename " + Kind(file),
                                                 "flush " + Kind(folder)}));
    // An intermediate file is not waited for.
    g_calls.clear();
    ASSERT_TRUE(ReplaceFileQuickly(dir / "uLaw01.wav", {}));
    EXPECT_EQ(g_calls.size(), 1u);
    // The new bytes are in place, but not known to be safe: no save is reported.
    g_folder_flush_error = EIO;
    EXPECT_FALSE(WriteFileAtomically(dir / "MEVAN.INI", std::string_view("newer")));
}

}  // namespace
}  // namespace kotar
