// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "WavBuilder.h"
#include "common/UserAbort.h"
#include "export/MkFile.h"

namespace kotar {
namespace {

using test::ReadBytes;
using test::ScriptedPrompter;
using test::TempDir;
using test::WavBuilder;
using test::WriteBytes;

// A converted phrase of `size` bytes, byte i = (i % 200) + seed, none of them 0xFF.
std::vector<std::uint8_t> Phrase(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 200 + seed);
    return bytes;
}

class MkFileTest : public ::testing::Test {
protected:
    std::string Source(const std::string& name, const std::vector<std::uint8_t>& data) {
        WriteBytes(dir_ / name, WavBuilder::Pcm(7, 1, 8000, 8, data));
        return (dir_ / name).string();
    }
    std::string Out(const std::string& name) { return (dir_ / name).string(); }

    // Checks a whole image: the given pieces at their offsets, 0xFF everywhere else.
    void ExpectImage(const std::string& path,
                     const std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>>& pieces) {
        std::vector<std::uint8_t> expected(131072, 0xFF);
        for (const auto& [offset, bytes] : pieces) {
            std::copy(bytes.begin(), bytes.end(), expected.begin() + offset);
        }
        EXPECT_EQ(ReadBytes(path), expected);
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    CMkFile mk_;
};

TEST_F(MkFileTest, PhraseAAndPhraseBPlaceOneAreaEach) {
    const auto phrase = Phrase(24000, 1);
    const std::string source = Source("uLaw01.wav", phrase);
    ASSERT_EQ(mk_.MakeFileA(source, Out("01.snd"), prompter_), 1);
    ExpectImage(Out("01.snd"), {{0, phrase}});
    ASSERT_EQ(mk_.MakeFileB(source, Out("02.snd"), prompter_), 1);
    ExpectImage(Out("02.snd"), {{65536, phrase}});  // nothing of the earlier build is left
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(MkFileTest, AreaEndsCutEveryKindButTheContinuousOne) {
    const auto exact = Phrase(65536, 2);
    const auto longer = Phrase(65537, 3);
    const std::string exact_source = Source("exact.wav", exact);
    const std::string long_source = Source("long.wav", longer);
    const std::vector<std::uint8_t> cut(longer.begin(), longer.begin() + 65536);

    ASSERT_EQ(mk_.MakeFileA(exact_source, Out("a.snd"), prompter_), 1);
    ExpectImage(Out("a.snd"), {{0, exact}});
    ASSERT_EQ(mk_.MakeFileA(long_source, Out("a2.snd"), prompter_), 1);
    ExpectImage(Out("a2.snd"), {{0, cut}});
    ASSERT_EQ(mk_.MakeFileB(long_source, Out("b.snd"), prompter_), 1);
    ExpectImage(Out("b.snd"), {{65536, cut}});
    ASSERT_EQ(mk_.MakeFileSeparate(long_source, long_source, Out("s.snd"), prompter_), 1);
    ExpectImage(Out("s.snd"), {{0, cut}, {65536, cut}});
    ASSERT_EQ(mk_.MakeFileContinuous(long_source, Out("c.snd"), prompter_), 1);
    ExpectImage(Out("c.snd"), {{0, longer}});

    const auto very_long = Phrase(200000, 4);
    ASSERT_EQ(mk_.MakeFileContinuous(Source("200k.wav", very_long), Out("c2.snd"), prompter_), 1);
    ExpectImage(Out("c2.snd"),
                {{0, std::vector<std::uint8_t>(very_long.begin(), very_long.begin() + 131072)}});
    EXPECT_TRUE(prompter_.prompts().empty());
}

TEST_F(MkFileTest, SeparateKeepsPhraseAOutOfAreaB) {
    const auto a = Phrase(70000, 5);
    const auto b = Phrase(10000, 6);
    ASSERT_EQ(
        mk_.MakeFileSeparate(Source("a.wav", a), Source("b.wav", b), Out("04.snd"), prompter_), 1);
    ExpectImage(Out("04.snd"),
                {{0, std::vector<std::uint8_t>(a.begin(), a.begin() + 65536)}, {65536, b}});
}

TEST_F(MkFileTest, EmptyDataChunkGivesAnAll0xFFImage) {
    ASSERT_EQ(mk_.MakeFileA(Source("empty.wav", {}), Out("e.snd"), prompter_), 1);
    ExpectImage(Out("e.snd"), {});
}

TEST_F(MkFileTest, ExistingDestinationIsReplacedWholeOrNotAtAll) {
    WriteBytes(dir_ / "old.snd", std::vector<std::uint8_t>(300000, 0x11));
    const auto phrase = Phrase(100, 7);
    ASSERT_EQ(mk_.MakeFileA(Source("p.wav", phrase), Out("old.snd"), prompter_), 1);
    ExpectImage(Out("old.snd"), {{0, phrase}});

    // A missing source: message 110, the destination untouched.
    WriteBytes(dir_ / "keep.snd", {1, 2, 3});
    EXPECT_THROW(mk_.MakeFileA(Out("missing.wav"), Out("keep.snd"), prompter_), UserAbort);
    EXPECT_EQ(prompter_.MessageIds(), std::vector<int>{110});
    EXPECT_EQ(ReadBytes(dir_ / "keep.snd"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_THROW(mk_.MakeFileSeparate(Source("p2.wav", phrase), Out("missing.wav"), Out("none.snd"),
                                      prompter_),
                 UserAbort);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "none.snd"));

    // A destination that cannot be written: 0.
    EXPECT_EQ(mk_.MakeFileA(Source("p3.wav", phrase), Out("no-folder/x.snd"), prompter_), 0);
}

}  // namespace
}  // namespace kotar
