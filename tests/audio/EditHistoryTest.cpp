// Taking back and making again the changes of a phrase dialog session.
#include <gtest/gtest.h>

#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "audio/EditHistory.h"

namespace kotar {
namespace {

using test::BlockOf;
using test::Concat;
using test::PhraseOf;
using test::Silence;
using test::Tone;

class EditHistoryTest : public ::testing::Test {
protected:
    test::ScriptedPrompter prompter_;
    // A quiet tone with silence around it in a 320,000-byte recording buffer.
    CSoundCtrl phrase_ = PhraseOf(Concat({Silence(6000), Tone(1000, -35, 24000), Silence(6000)}),
                                  prompter_, 320'000);
    EditHistory history_{phrase_};
};

TEST_F(EditHistoryTest, UndoAndRedoRestoreEveryStateByteForByte) {
    std::vector<std::vector<std::uint8_t>> states{BlockOf(phrase_)};
    std::vector<std::uint32_t> lengths{phrase_.length()};
    const auto remember = [&] {
        states.push_back(BlockOf(phrase_));
        lengths.push_back(phrase_.length());
    };
    ASSERT_TRUE(history_.DeleteRange(20'001, 30'123));
    remember();
    ASSERT_TRUE(history_.EvenLoudness(-16.0));
    remember();
    ASSERT_TRUE(history_.TrimSilence());
    remember();
    ASSERT_TRUE(history_.DeleteRange(0, 4'000));
    remember();
    for (std::size_t i = 1; i < states.size(); ++i)
        ASSERT_NE(states[i], states[i - 1]) << i;

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(history_.Undo());
        EXPECT_EQ(phrase_.length(), lengths[i - 1]);
        EXPECT_EQ(BlockOf(phrase_), states[i - 1]) << "undo to state " << i - 1;
    }
    EXPECT_FALSE(history_.CanUndo());
    EXPECT_FALSE(history_.Undo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history_.Redo());
        EXPECT_EQ(phrase_.length(), lengths[i]);
        EXPECT_EQ(BlockOf(phrase_), states[i]) << "redo to state " << i;
    }
    EXPECT_FALSE(history_.Redo());
}

TEST_F(EditHistoryTest, ANewChangeAfterAnUndoDropsWhatCouldBeRedone) {
    ASSERT_TRUE(history_.DeleteRange(0, 1'000));
    ASSERT_TRUE(history_.Undo());
    EXPECT_TRUE(history_.CanRedo());
    ASSERT_TRUE(history_.TrimSilence());
    EXPECT_FALSE(history_.CanRedo());
    history_.Clear();
    EXPECT_FALSE(history_.CanUndo());
}

TEST_F(EditHistoryTest, ACutKeepsOnlyItsRemovedBytesAndNoChangeIsRecorded) {
    ASSERT_TRUE(history_.DeleteRange(1'000, 3'000));
    EXPECT_EQ(history_.stored_bytes(), 2'000u);
    // Nothing is left to trim at the ends of a trimmed phrase, and a phrase at its target
    // keeps its samples.
    ASSERT_TRUE(history_.TrimSilence());
    EXPECT_FALSE(history_.TrimSilence());
    CSoundCtrl silence = PhraseOf(Silence(8000), prompter_);
    EditHistory quiet(silence);
    EXPECT_FALSE(quiet.EvenLoudness(-16.0));
    EXPECT_FALSE(quiet.CanUndo());
}

}  // namespace
}  // namespace kotar
