// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "export/WriteThread.h"

namespace kotar {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class WriteThreadTest : public test::ExportFixture {};

TEST_F(WriteThreadTest, PrepareTempMakesAPrivateFolderThatGoesWithTheWorker) {
    const auto cwd = std::filesystem::current_path();
    std::string first_folder;
    {
        CWriteThread first(slots_, work().string(), prompter_);
        CWriteThread second(slots_, work().string(), prompter_);
        ASSERT_EQ(first.PrepareTemp(), 1);
        ASSERT_EQ(second.PrepareTemp(), 1);
        first_folder = first.temp_folder();
        EXPECT_NE(first_folder, second.temp_folder());
        for (const CWriteThread* worker : {&first, &second}) {
            const std::filesystem::path folder = worker->temp_folder();
            EXPECT_EQ(folder.parent_path(), temp());
            EXPECT_EQ(folder.filename().string().substr(0, 6), "kotar-");
            EXPECT_EQ(folder.filename().string().size(), 12u);
            EXPECT_TRUE(std::filesystem::is_directory(folder));
        }
        std::string path;
        ASSERT_EQ(first.GetConvertedPath(2, path), 1);
        EXPECT_EQ(path, (std::filesystem::path(first_folder) / "uLaw03.wav").string());
        EXPECT_EQ(first.GetConvertedPath(3, path), 0);
        EXPECT_EQ(path, (std::filesystem::path(first_folder) / "uLaw03.wav").string());
        // What others keep in TEMP is not touched by a build.
        WriteBytes(temp() / "uLaw01.wav", {1});
        WriteBytes(temp() / "notes.txt", {2});
        CWriteThread third(slots_, work().string(), prompter_);
        ASSERT_EQ(third.PrepareTemp(), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(first_folder));
    EXPECT_EQ(TempEntries(), (std::set<std::string>{"notes.txt", "uLaw01.wav"}));
    EXPECT_EQ(std::filesystem::current_path(), cwd);
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(WriteThreadTest, TempThatCannotBeClearedShows119AndGivesNoNames) {
    WriteBytes(temp(), {0});  // a file where the folder should be
    CWriteThread worker(slots_, work().string(), prompter_);
    EXPECT_EQ(worker.PrepareTemp(), 0);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{119});
    EXPECT_EQ(prompter_.prompts()[0].message.icon, MessageIcon::Exclamation);
    std::string path = "unchanged";
    EXPECT_EQ(worker.GetConvertedPath(0, path), 0);
    EXPECT_EQ(path, "unchanged");

    FillSlot(0, 100, "abc");
    EXPECT_EQ(worker.ConvertSlot(0), 0);  // converted, but there is nowhere to save it
}

TEST_F(WriteThreadTest, ConvertSlotWritesTheMuLawFileWithTheText) {
    FillSlot(0, 1000, "abc");
    CWriteThread worker(slots_, work().string(), prompter_);
    ASSERT_EQ(worker.PrepareTemp(), 1);
    ASSERT_EQ(worker.ConvertSlot(0), 1);
    EXPECT_EQ(WavFilesIn(worker.temp_folder()), std::set<std::string>{"uLaw01.wav"});

    std::vector<std::uint8_t> expected = test::WavBuilder()
                                             .Tag("RIFF")
                                             .U32(4 + 26 + 8 + 1000)
                                             .Tag("WAVE")
                                             .Tag("fmt ")
                                             .U32(18)
                                             .Format(7, 1, 8000, 8)
                                             .U16(0)
                                             .Tag("data")
                                             .U32(1000)
                                             .Bytes(Encoded(0))
                                             .Tag("LIST")
                                             .U32(4 + 8 + 3 + 1)
                                             .Tag("INFO")
                                             .Tag("atrb")
                                             .U32(3)
                                             .Tag("abc")
                                             .Fill(1, 0)
                                             .bytes();
    EXPECT_EQ(ReadBytes(std::filesystem::path(worker.temp_folder()) / "uLaw01.wav"), expected);
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(WriteThreadTest, EmptyAndUnreadableSlots) {
    CWriteThread worker(slots_, work().string(), prompter_);
    ASSERT_EQ(worker.PrepareTemp(), 1);
    EXPECT_EQ(worker.ConvertSlot(1), 1);  // no phrase: nothing to convert
    EXPECT_TRUE(WavFilesIn(worker.temp_folder()).empty());
    EXPECT_TRUE(prompter_.prompts().empty());

    slots_[2].attribute_text = "text but no file";
    EXPECT_EQ(worker.ConvertSlot(2), 0);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{110});
    EXPECT_EQ(worker.ConvertSlot(7), 0);
    EXPECT_TRUE(WavFilesIn(worker.temp_folder()).empty());

    // A slot file in a format the mu-law stream cannot take (8-bit PCM is decoded, but a
    // two-channel target cannot be made from it... so use an unknown encoding).
    test::WavBuilder odd;
    odd.Tag("RIFF").U32(4 + 26 + 8 + 4).Tag("WAVE").Tag("fmt ").U32(18);
    odd.U16(0x55).U16(1).U32(8000).U32(1000).U16(1).U16(0).U16(0).Tag("data").U32(4).Fill(4, 1);
    WriteBytes(slots_[0].wav_path, odd.bytes());
    slots_[0].attribute_text = "x";
    prompter_.Clear();
    EXPECT_EQ(worker.ConvertSlot(0), 0);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{111});
}

}  // namespace
}  // namespace kotar
