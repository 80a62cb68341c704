// SPDX-License-Identifier: GPL-3.0-or-later
// Taking back and making again the changes of a phrase dialog session.
#include <gtest/gtest.h>

#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "audio/EditHistory.h"

namespace kotar {
namespace {

using test::BlockOf;

class EditHistoryTest : public ::testing::Test {
protected:
    test::ScriptedPrompter prompter_;
    // A quiet tone with silence around it in a 320,000-byte recording buffer.
    CSoundCtrl phrase_ = test::PhraseOf(
        test::Concat({test::Silence(6000), test::Tone(1000, -35, 24000), test::Silence(6000)}),
        prompter_, 320'000);
    EditHistory history_{phrase_};
};

TEST_F(EditHistoryTest, UndoAndRedoRestoreEveryStateByteForByte) {
    std::vector<std::vector<std::uint8_t>> states{BlockOf(phrase_)};
    ASSERT_TRUE(history_.DeleteRange(20'001, 30'123));
    states.push_back(BlockOf(phrase_));
    ASSERT_TRUE(history_.EvenLoudness(-16.0));
    states.push_back(BlockOf(phrase_));
    ASSERT_TRUE(history_.TrimSilence());
    states.push_back(BlockOf(phrase_));
    ASSERT_TRUE(history_.DeleteRange(0, 4'000));
    states.push_back(BlockOf(phrase_));

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_NE(states[i], states[i - 1]);
        ASSERT_TRUE(history_.Undo());
        EXPECT_EQ(BlockOf(phrase_), states[i - 1]) << "undo to state " << i - 1;
    }
    EXPECT_FALSE(history_.Undo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history_.Redo());
        EXPECT_EQ(BlockOf(phrase_), states[i]) << "redo to state " << i;
    }
    EXPECT_FALSE(history_.Redo());
}

TEST_F(EditHistoryTest, ACutKeepsItsBytesOnlyAndANewChangeDropsTheRedo) {
    ASSERT_TRUE(history_.DeleteRange(1'000, 3'000));
    EXPECT_EQ(history_.stored_bytes(), 2'000u);
    ASSERT_TRUE(history_.Undo());
    ASSERT_TRUE(history_.TrimSilence());
    EXPECT_FALSE(history_.CanRedo());
    // Changes that change nothing are not recorded.
    EXPECT_FALSE(history_.TrimSilence());
    CSoundCtrl silence = test::PhraseOf(test::Silence(8000), prompter_);
    EditHistory quiet(silence);
    EXPECT_FALSE(quiet.EvenLoudness(-16.0));
    EXPECT_FALSE(quiet.CanUndo());
}

}  // namespace
}  // namespace kotar
