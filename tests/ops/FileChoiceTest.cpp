// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FileChoice.h"

#include <gtest/gtest.h>

#include "ScriptedPrompter.h"

namespace kotar {
namespace {

using Kind = test::ScriptedPrompter::Prompt::Kind;
using test::ScriptedPrompter;

constexpr const char* kWrongType =
    "指定した形式のファイルは書き込めません。\nファイルを確認してください。";

TEST(FileChoice, PhraseFileToWriteAcceptsSndInAnyCase) {
    ScriptedPrompter prompter;
    prompter.AnswerNextDialog("/data/a.snd");
    prompter.AnswerNextDialog("/data/B.SND");
    EXPECT_EQ(ChoosePhraseFileToWrite(prompter), "/data/a.snd");
    EXPECT_EQ(ChoosePhraseFileToWrite(prompter), "/data/B.SND");
    ASSERT_EQ(prompter.prompts().size(), 2u);
    const FileDialogRequest& request = prompter.prompts()[0].file;
    EXPECT_EQ(prompter.prompts()[0].kind, Kind::OpenFile);
    EXPECT_EQ(request.filter, "SND(*.snd)|*.snd||");
    EXPECT_EQ(request.initial_name, "*.snd");
    EXPECT_TRUE(request.hide_read_only);
}

TEST(FileChoice, PhraseFileOfAnotherTypeIsRefusedWithItsMessage) {
    ScriptedPrompter prompter;
    prompter.AnswerNextDialog("/data/a.wav");
    EXPECT_EQ(ChoosePhraseFileToWrite(prompter), std::nullopt);
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[1].message.text, kWrongType);
    EXPECT_EQ(prompter.prompts()[1].message.caption, "書込ファイル確認");
    EXPECT_EQ(prompter.prompts()[1].message.icon, MessageIcon::Information);
    // Cancelling shows nothing more.
    EXPECT_EQ(ChoosePhraseFileToWrite(prompter), std::nullopt);
    EXPECT_EQ(prompter.prompts().size(), 3u);
}

TEST(FileChoice, ProgramFileExtensionIsCaseSensitive) {
    ScriptedPrompter prompter;
    prompter.AnswerNextDialog("/p/app.BIN");
    prompter.AnswerNextDialog("/p/app.bin");
    EXPECT_EQ(ChooseProgramFile(prompter), std::nullopt);
    EXPECT_EQ(ChooseProgramFile(prompter), "/p/app.bin");
    ASSERT_EQ(prompter.prompts().size(), 3u);
    EXPECT_EQ(prompter.prompts()[0].file.filter, "BIN(*.bin)|*.bin||");
    EXPECT_EQ(prompter.prompts()[0].file.initial_name, "*.bin");
    EXPECT_EQ(prompter.prompts()[0].file.default_extension, "");
    EXPECT_EQ(prompter.prompts()[1].message.text, kWrongType);
    EXPECT_EQ(prompter.prompts()[1].message.icon, MessageIcon::Error);
}

TEST(FileChoice, SaveDialogsAskBeforeOverwritingAndTakeAnyName) {
    ScriptedPrompter prompter;
    prompter.AnswerNextDialog("/out/read.snd");
    prompter.AnswerNextDialog("/out/data.txt");
    EXPECT_EQ(ChoosePhraseFileToSave(prompter), "/out/read.snd");
    EXPECT_EQ(ChooseDataFile(prompter), "/out/data.txt");
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[0].kind, Kind::SaveFile);
    EXPECT_EQ(prompter.prompts()[0].file.default_extension, "snd");
    EXPECT_TRUE(prompter.prompts()[0].file.prompt_overwrite);
    EXPECT_EQ(prompter.prompts()[1].file.filter, "LOG(*.log)|*.log||");
    EXPECT_EQ(prompter.prompts()[1].file.initial_name, "*.log");
    EXPECT_EQ(prompter.prompts()[1].file.default_extension, "log");
    EXPECT_TRUE(prompter.prompts()[1].file.prompt_overwrite);
}

}  // namespace
}  // namespace kotar
