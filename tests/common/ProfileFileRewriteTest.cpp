// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "SystemFaults.h"
#include "TempDir.h"
#include "common/ProfileFile.h"

namespace kotar {
namespace {

std::uint64_t Inode(const std::filesystem::path& path) {
    const std::uint64_t identity = test::FileIdentity(path);
    EXPECT_NE(identity, 0u);
    return identity;
}

TEST(ProfileFileRewrite, WritingTheValueAlreadyThereLeavesTheFileAlone) {
    test::TempDir dir;
    ProfileFile ini(dir / "MEVAN.INI");
    ASSERT_TRUE(ini.WriteString("CONFIG", "PORT", "1"));
    const std::uint64_t first = Inode(dir / "MEVAN.INI");
    // An atomic replacement would give the file a new inode; the same contents give none.
    ASSERT_TRUE(ini.WriteString("config", "port", "1"));
    EXPECT_EQ(Inode(dir / "MEVAN.INI"), first);
    EXPECT_EQ(test::ReadText(dir / "MEVAN.INI"), "[CONFIG]\r\nPORT=1\r\n");

    ASSERT_TRUE(ini.WriteString("CONFIG", "PORT", "2"));
    EXPECT_EQ(test::ReadText(dir / "MEVAN.INI"), "[CONFIG]\r\nPORT=2\r\n");
}

}  // namespace
}  // namespace kotar
