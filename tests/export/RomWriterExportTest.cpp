// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "export/RomWriterExport.h"

namespace kotar {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class RomWriterExportTest : public test::ExportFixture {
protected:
    RomExportResult Export(PhrasePanelMode mode, const std::string& chosen) {
        prompter_.AnswerNextDialog(chosen);
        return ExportRomWriterData(mode, slots_, work().string(), property_folder().string(),
                                   prompter_);
    }
    std::vector<std::uint8_t> Image(
        const std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>>& pieces) {
        std::vector<std::uint8_t> image(131072, 0xFF);
        for (const auto& [offset, bytes] : pieces) {
            std::copy(bytes.begin(),
                      bytes.begin() + std::min<std::size_t>(bytes.size(), 131072 - offset),
                      image.begin() + offset);
        }
        return image;
    }
    std::string out() const { return (work() / "out.snd").string(); }
};

TEST_F(RomWriterExportTest, ABModeWithBothSlotsSavesTheSeparateImage) {
    FillSlot(0, 40000, "A");
    FillSlot(1, 3000, "B");
    FillSlot(2, 5000, "AB");
    EXPECT_EQ(Export(PhrasePanelMode::kAB, out()), RomExportResult::kWritten);
    EXPECT_EQ(ReadBytes(out()), Image({{0, Encoded(0)}, {65536, Encoded(1)}}));
    EXPECT_TRUE(TempEntries().empty());  // the build's scratch folder went with it
    ASSERT_EQ(prompter_.MessageIds(), std::vector<int>{116});
    EXPECT_EQ(prompter_.prompts().back().message.icon, MessageIcon::Information);
    EXPECT_EQ(prompter_.prompts().back().message.text, "ファイルの書込みが正常終了しました。");

    const FileDialogRequest& dialog = prompter_.prompts()[0].file;
    EXPECT_EQ(prompter_.prompts()[0].kind, test::ScriptedPrompter::Prompt::Kind::SaveFile);
    EXPECT_EQ(dialog.default_extension, "snd");
    EXPECT_EQ(dialog.filter, "SND(*.snd)|*.snd|全て(*.*)|*.*||");
    EXPECT_TRUE(dialog.prompt_overwrite);
    EXPECT_TRUE(dialog.hide_read_only);
    EXPECT_EQ(dialog.initial_folder, property_folder().string());
    EXPECT_EQ(dialog.initial_name, "");
}

TEST_F(RomWriterExportTest, ABModeWithOneSlotSavesItsOwnArea) {
    FillSlot(0, 70000, "A");
    EXPECT_EQ(Export(PhrasePanelMode::kAB, out()), RomExportResult::kWritten);
    std::vector<std::uint8_t> area_a = Encoded(0);
    area_a.resize(65536);  // cut at the end of area A
    EXPECT_EQ(ReadBytes(out()), Image({{0, area_a}}));

    slots_[0].attribute_text.clear();
    FillSlot(1, 1234, "B");
    EXPECT_EQ(Export(PhrasePanelMode::kAB, out()), RomExportResult::kWritten);
    EXPECT_EQ(ReadBytes(out()), Image({{65536, Encoded(1)}}));
}

TEST_F(RomWriterExportTest, ContinuousModeTakesSlot3Whatever1And2Hold) {
    FillSlot(0, 100, "A");
    FillSlot(1, 100, "B");
    FillSlot(2, 131072, "AB");                            // 16.384 s: the whole image
    WriteBytes(out(), std::vector<std::uint8_t>(10, 0));  // an existing file is replaced
    EXPECT_EQ(Export(PhrasePanelMode::kContinuous, out()), RomExportResult::kWritten);
    EXPECT_EQ(ReadBytes(out()), Image({{0, Encoded(2)}}));
}

TEST_F(RomWriterExportTest, CancelAndNothingToExportDoNothing) {
    FillSlot(2, 100, "AB");
    prompter_.AnswerNextDialog(std::nullopt);
    EXPECT_EQ(ExportRomWriterData(PhrasePanelMode::kContinuous, slots_, work().string(),
                                  property_folder().string(), prompter_),
              RomExportResult::kCancelled);
    EXPECT_FALSE(std::filesystem::exists(temp()));
    EXPECT_EQ(Export(PhrasePanelMode::kAB, out()), RomExportResult::kNoPhrase);
    EXPECT_FALSE(std::filesystem::exists(out()));
    EXPECT_TRUE(prompter_.MessageIds().empty());
}

TEST_F(RomWriterExportTest, FailuresShowTheirMessagesAndWriteNothing) {
    // Kind 4 with slot 2 empty: only uLaw01.wav is made; the builder misses uLaw02.wav.
    FillSlot(0, 100, "A");
    EXPECT_EQ(BuildRomWriterFile(kPhraseABSeparate, slots_, work().string(), out(), prompter_),
              RomExportResult::kNotBuilt);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{110});
    EXPECT_TRUE(TempEntries().empty());
    EXPECT_FALSE(std::filesystem::exists(out()));

    // A destination that cannot be written: 114, exclamation.
    prompter_.Clear();
    EXPECT_EQ(Export(PhrasePanelMode::kAB, (work() / "absent" / "x.snd").string()),
              RomExportResult::kWriteFailed);
    ASSERT_EQ(prompter_.MessageIds(), std::vector<int>{114});
    EXPECT_EQ(prompter_.prompts().back().message.icon, MessageIcon::Exclamation);

    // TEMP cannot be cleared: 119 and nothing more.
    prompter_.Clear();
    std::filesystem::remove_all(temp());
    WriteBytes(temp(), {0});
    EXPECT_EQ(Export(PhrasePanelMode::kAB, out()), RomExportResult::kNotBuilt);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{119});
    EXPECT_FALSE(std::filesystem::exists(out()));
}

}  // namespace
}  // namespace kotar
