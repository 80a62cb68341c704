// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/PropertyName.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptedPrompter.h"
#include "common/Messages.h"

namespace kotar {
namespace {

using test::ScriptedPrompter;

TEST(PropertyName, LengthCountsCp932Bytes) {
    std::string twenty_wide;
    for (int i = 0; i < 20; ++i)
        twenty_wide += "音";
    EXPECT_TRUE(PropertyNameFitsLength(twenty_wide));         // 40 bytes
    EXPECT_FALSE(PropertyNameFitsLength(twenty_wide + "a"));  // 41 bytes
    EXPECT_TRUE(PropertyNameFitsLength(std::string(40, 'a')));
    EXPECT_FALSE(PropertyNameFitsLength(std::string(41, 'a')));
    EXPECT_TRUE(PropertyNameFitsLength(std::string(40, 'a').replace(0, 3, "ｱ")));  // 1 byte
}

TEST(PropertyName, EachOfTheNineCharactersIsForbidden) {
    for (char c : std::string("\\/:*?\"<>|")) {
        EXPECT_TRUE(ContainsForbiddenCharacter(std::string("ab") + c + "cd")) << c;
    }
    EXPECT_FALSE(ContainsForbiddenCharacter("東京 ビル.1 (A)-'x'"));
    // "ソ" has the cp932 second byte 0x5C; in the program's text it is no backslash.
    EXPECT_FALSE(ContainsForbiddenCharacter("ソフト"));
}

TEST(PropertyName, ChecksRunInTheDialogsOrder) {
    const std::vector<std::string> listed{"Alpha", "ビル"};
    EXPECT_EQ(CheckNewPropertyName(listed, "beta"), PropertyNameCheck::Ok);
    EXPECT_EQ(CheckNewPropertyName(listed, ""), PropertyNameCheck::Empty);
    EXPECT_EQ(CheckNewPropertyName(listed, "ALPHA"), PropertyNameCheck::Duplicate);
    EXPECT_EQ(CheckNewPropertyName(listed, "ビル"), PropertyNameCheck::Duplicate);
    // Full-width letters differ in case as the narrow ones do.
    EXPECT_EQ(CheckNewPropertyName({"ビルＡｂ"}, "ビルａＢ"), PropertyNameCheck::Duplicate);
    EXPECT_EQ(CheckNewPropertyName({"ビルＡ"}, "ビルＢ"), PropertyNameCheck::Ok);
    // The whole range, to its last letter; the signs just outside it have no case.
    EXPECT_EQ(CheckNewPropertyName({"ビルＺ"}, "ビルｚ"), PropertyNameCheck::Duplicate);
    EXPECT_EQ(CheckNewPropertyName({"ビルＹ"}, "ビルｚ"), PropertyNameCheck::Ok);
    EXPECT_EQ(CheckNewPropertyName({"ビル［"}, "ビル｛"), PropertyNameCheck::Ok);
    EXPECT_EQ(CheckNewPropertyName({"ビル＠"}, "ビル｀"), PropertyNameCheck::Ok);
    EXPECT_EQ(CheckNewPropertyName(listed, "a:b"), PropertyNameCheck::ForbiddenCharacter);
    EXPECT_EQ(CheckNewPropertyName(listed, std::string(41, 'x')), PropertyNameCheck::TooLong);
    // A listed name wins over a forbidden character (the duplicate check comes first).
    EXPECT_EQ(CheckNewPropertyName({"a:b"}, "A:B"), PropertyNameCheck::Duplicate);
}

TEST(PropertyName, RefusalsShowTheSystemsTexts) {
    ScriptedPrompter prompter;
    ShowPropertyNameRefusal(PropertyNameCheck::Duplicate, prompter);
    ShowPropertyNameRefusal(PropertyNameCheck::ForbiddenCharacter, prompter);
    ShowPropertyNameRefusal(PropertyNameCheck::Ok, prompter);
    ASSERT_EQ(prompter.prompts().size(), 2u);
    const MessageRequest& duplicate = prompter.prompts()[0].message;
    EXPECT_EQ(duplicate.message_id, kMsgDuplicateProperty);
    EXPECT_EQ(duplicate.text, "同一名称の物件が存在します。\n名前を変えてください。");
    EXPECT_EQ(duplicate.icon, MessageIcon::Error);
    const MessageRequest& forbidden = prompter.prompts()[1].message;
    EXPECT_EQ(forbidden.message_id, 0);
    EXPECT_EQ(forbidden.caption, "エラー");
    EXPECT_EQ(forbidden.text, "ファイル名には次の文字はつかえません。\r\n \\ / : * ? \" < > |");
    EXPECT_EQ(forbidden.icon, MessageIcon::Exclamation);
}

TEST(PropertyName, ListOrderIgnoresLetterCase) {
    std::vector<std::string> names{"beta", "Gamma", "alpha", "Alpha2", "_x", "音", "B"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return PropertyNameLess(a, b); });
    EXPECT_EQ(names,
              (std::vector<std::string>{"_x", "alpha", "Alpha2", "B", "beta", "Gamma", "音"}));
    EXPECT_EQ(FindPropertyName(names, "GAMMA"), 5);
    EXPECT_EQ(FindPropertyName(names, "gamm"), -1);
}

}  // namespace
}  // namespace kotar
