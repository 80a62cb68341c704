// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AtomicFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "SystemFaults.h"
#include "TempDir.h"

namespace kotar {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

std::size_t EntryCount(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST(AtomicFile, CreatesAndReplacesWithExactlyTheBytes) {
    TempDir dir;
    const std::string with_zero("a\0b\xff", 4);
    ASSERT_TRUE(WriteFileAtomically(dir / "f.bin", with_zero));
    EXPECT_EQ(ReadText(dir / "f.bin"), with_zero);
    ASSERT_TRUE(WriteFileAtomically(dir / "f.bin", std::string_view("xy")));
    EXPECT_EQ(ReadText(dir / "f.bin"), "xy");
    EXPECT_EQ(EntryCount(dir.path()), 1u);  // no temporary file left
}

TEST(AtomicFile, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    WriteText(dir / "f", "old");
    std::filesystem::permissions(
        dir / "f", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // As far as the system keeps them: Windows has only a read-only flag.
    const std::filesystem::perms before = std::filesystem::status(dir / "f").permissions();
    ASSERT_TRUE(WriteFileAtomically(dir / "f", std::string_view("new")));
    EXPECT_EQ(std::filesystem::status(dir / "f").permissions(), before);
}

TEST(AtomicFile, ReadOnlyFileIsRefusedAndKept) {
    TempDir dir;
    WriteText(dir / "f", "old");
    std::filesystem::permissions(dir / "f", std::filesystem::perms::owner_read);
    EXPECT_FALSE(WriteFileAtomically(dir / "f", std::string_view("new")));
    EXPECT_EQ(ReadText(dir / "f"), "old");
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(AtomicFile, FailedWriteLeavesTheEarlierFileIntact) {
    TempDir dir;
    WriteText(dir / "f", "earlier");
    // A file size limit makes the write itself fail, for any user.
    if (!test::FileSizeLimit::Supported())
        GTEST_SKIP() << "no file size limit on this system";
    bool written = false;
    {
        test::FileSizeLimit limit(4);
        written = WriteFileAtomically(dir / "f", std::string_view("much longer than four"));
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(dir / "f"), "earlier");
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(AtomicFile, MissingFolderIsAFailure) {
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir / "no" / "f", std::string_view("x")));
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

TEST(AtomicFile, WritersOfOnePathAtOnceNeverShareATemporaryFile) {
    TempDir dir;
    // Each writer's content is its own letter many times over: a shared temporary file would
    // mix letters or lose a write.
    constexpr int kWriters = 4;
    std::atomic<int> failures{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            const std::vector<std::uint8_t> content(65536, static_cast<std::uint8_t>('a' + w));
            for (int i = 0; i < 50; ++i) {
                const bool written = i % 2 ? ReplaceFileQuickly(dir / "f", content)
                                           : WriteFileAtomically(dir / "f", content);
                failures += written ? 0 : 1;
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(failures, 0);
    const std::string last = ReadText(dir / "f");
    ASSERT_EQ(last.size(), 65536u);
    EXPECT_EQ(last.find_first_not_of(last[0]), std::string::npos);
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

}  // namespace
}  // namespace kotar
