// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StderrPrompter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/Messages.h"

namespace kotar {
namespace {

// The text written to a temporary stream.
std::string Contents(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    return text;
}

TEST(StderrPrompter, PrintsNumberedTextsAndCaptionedTexts) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StderrPrompter prompter(out);
    EXPECT_EQ(prompter.ShowMessage(kMsgDiskQuota, MessageIcon::Error), MessageAnswer::Ok);
    prompter.ShowText("ファイル名には次の文字はつかえません。", "エラー", MessageIcon::Exclamation);
    EXPECT_EQ(Contents(out),
              "空きディスク容量が無くなってきたため、\n新規物件の登録が出来ません。\n\n"
              "不要な物件を削除願います。\n"
              "エラー: ファイル名には次の文字はつかえません。\n");
    std::fclose(out);
}

TEST(StderrPrompter, QuestionsAreAnsweredByTheConfirmOption) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StderrPrompter yes(out, true);
    StderrPrompter no(out, false);
    EXPECT_EQ(yes.ShowMessage(kMsgConfirmDeleteProperty, MessageIcon::Information,
                              MessageButtons::YesNo, MessageAnswer::No),
              MessageAnswer::Yes);
    EXPECT_EQ(no.ShowMessage(kMsgConfirmDeleteProperty, MessageIcon::Information,
                             MessageButtons::YesNo, MessageAnswer::No),
              MessageAnswer::No);
    EXPECT_EQ(
        yes.ShowMessage(kMsgDiscardRecording, MessageIcon::Question, MessageButtons::OkCancel),
        MessageAnswer::Ok);
    EXPECT_EQ(no.ShowMessage(kMsgDiscardRecording, MessageIcon::Question, MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    std::fclose(out);
}

TEST(StderrPrompter, FileDialogsAnswerWithThePathGivenOnce) {
    StderrPrompter prompter(stderr);
    EXPECT_EQ(prompter.ChooseOpenFile({}), std::nullopt);
    prompter.SetNextPath("/tmp/a.wav");
    EXPECT_EQ(prompter.ChooseSaveFile({}), std::optional<std::string>("/tmp/a.wav"));
    EXPECT_EQ(prompter.ChooseFolder({}), std::nullopt);
}

}  // namespace
}  // namespace kotar
