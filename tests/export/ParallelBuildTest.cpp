// Builds of different properties in one work folder at the same time, as two copies of the
// program make them: each phrase file holds its own property's phrases.
#include <gtest/gtest.h>

#include <latch>
#include <thread>

#include "ExportFixture.h"
#include "export/PhraseFileBuild.h"

namespace kotar {
namespace {

using test::ReadBytes;

class ParallelBuildTest : public test::ExportFixture {
protected:
    // Property "Q" beside "P", its slot 3 of other samples than P's.
    SlotList PropertyQ() {
        const std::filesystem::path folder = work() / "TR_Q";
        std::filesystem::create_directories(folder);
        std::vector<std::int16_t> samples(20000);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>((i * 977) % 50000 - 25000);
        const std::string path = (folder / "03.wav").string();
        test::WriteBytes(
            path, test::WavBuilder::Pcm(1, 1, 8000, 16, test::WavBuilder::Samples16(samples)));
        return {
            {(folder / "01.wav").string(), ""}, {(folder / "02.wav").string(), ""}, {path, "Q"}};
    }

    PhraseBuildResult Build(const SlotList& slots, const std::filesystem::path& destination) {
        test::ScriptedPrompter prompter;
        return BuildPhraseFile(kPhraseABContinuous, slots, work().string(), destination.string(),
                               prompter);
    }
};

TEST_F(ParallelBuildTest, BuildsOfTwoPropertiesAtOnceEachHoldTheirOwnPhrases) {
    FillSlot(2, 30000, "P");
    const SlotList q = PropertyQ();
    const std::filesystem::path out = work() / "out";
    std::filesystem::create_directory(out);
    ASSERT_EQ(Build(slots_, out / "p.snd"), PhraseBuildResult::kWritten);
    ASSERT_EQ(Build(q, out / "q.snd"), PhraseBuildResult::kWritten);
    const auto expected_p = ReadBytes(out / "p.snd");
    const auto expected_q = ReadBytes(out / "q.snd");
    ASSERT_NE(expected_p, expected_q);

    for (int round = 0; round < 25; ++round) {
        const auto p_file = out / ("p" + std::to_string(round) + ".snd");
        const auto q_file = out / ("q" + std::to_string(round) + ".snd");
        PhraseBuildResult p_result{};
        PhraseBuildResult q_result{};
        std::latch start(2);
        std::thread p_build([&] {
            start.arrive_and_wait();
            p_result = Build(slots_, p_file);
        });
        std::thread q_build([&] {
            start.arrive_and_wait();
            q_result = Build(q, q_file);
        });
        p_build.join();
        q_build.join();
        EXPECT_EQ(p_result, PhraseBuildResult::kWritten) << "round " << round;
        EXPECT_EQ(q_result, PhraseBuildResult::kWritten) << "round " << round;
        EXPECT_TRUE(ReadBytes(p_file) == expected_p) << "round " << round;
        EXPECT_TRUE(ReadBytes(q_file) == expected_q) << "round " << round;
    }
    EXPECT_TRUE(TempEntries().empty());  // every build removed its scratch folder
}

}  // namespace
}  // namespace kotar
