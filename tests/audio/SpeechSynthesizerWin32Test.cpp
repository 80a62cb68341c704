// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows backend of the synthesizer against a stand-in program (speech_stand_in.exe beside
// the test program), copied into a folder whose name has a blank and Japanese in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "audio/SpeechSynthesizer.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

namespace fs = std::filesystem;

class SpeechSynthesizerWin32Test : public ::testing::Test {
protected:
    SpeechSynthesizerWin32Test() {
        fs::create_directories(synth_ / "dic");
        fs::create_directories(job_);
        fs::copy_file(ExecutableFolder() / "speech_stand_in.exe", synth_ / "open jtalk.exe");
        test::WriteText(synth_ / "dic" / "sys.dic", "d");
        test::WriteText(synth_ / "voice.htsvoice", "v");
        test::WriteText(synth_ / "take.wav", "RIFF take");
        settings_.program = PathToUtf8(synth_ / "open jtalk.exe");
        settings_.dictionary = PathToUtf8(synth_ / "dic");
        settings_.voice = PathToUtf8(synth_ / "voice.htsvoice");
        Behave(L"speak");
    }
    ~SpeechSynthesizerWin32Test() override { Behave(nullptr); }

    static void Behave(const wchar_t* behaviour) {
        ::SetEnvironmentVariableW(L"KOTAR_SPEECH_STAND_IN", behaviour);
    }
    SynthesisOutcome Run(const CancelCheck& cancelled = {}) {
        return RunSynthesizer("火事です。", settings_, job_ / "speech.wav", cancelled);
    }
    // Waits (with a generous deadline) until the stand-in has kept its process id.
    bool StandInStarted() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::error_code ec;
        while (fs::file_size(synth_ / "pid.txt", ec) == 0 || ec) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            ::Sleep(10);
        }
        return true;
    }
    // True once the stand-in that ran last has ended.
    bool StandInEnded() const {
        const DWORD pid = std::stoul(test::ReadText(synth_ / "pid.txt"));
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
        if (!process)
            return true;
        const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        ::CloseHandle(process);
        return ended;
    }

    test::TempDir dir_;
    fs::path synth_ = dir_ / "音声 合成";
    fs::path job_ = dir_ / "job";
    SpeechSettings settings_;
};

TEST_F(SpeechSynthesizerWin32Test, TheProgramGetsItsArgumentsIntactAndWritesTheTake) {
    settings_.rate = 1.5;
    const SynthesisOutcome outcome = Run();
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(test::ReadText(job_ / "speech.wav"), "RIFF take");
    EXPECT_EQ(test::ReadText(job_ / "speech.txt"), "火事です。\n");
    // Paths may come as their short names; they name the same files.
    std::istringstream lines(test::ReadText(synth_ / "args.txt"));
    std::vector<std::string> args;
    for (std::string line; std::getline(lines, line);)
        args.push_back(line);
    ASSERT_EQ(args.size(), 9u);
    EXPECT_EQ(args[0] + args[2] + args[4] + args[5] + args[6], "-x-m-r1.50-ow");
    const std::pair<int, fs::path> paths[] = {{1, synth_ / "dic"},
                                              {3, synth_ / "voice.htsvoice"},
                                              {7, job_ / "speech.wav"},
                                              {8, job_ / "speech.txt"}};
    for (const auto& [index, path] : paths)
        EXPECT_TRUE(fs::equivalent(PathFromUtf8(args[index]), path)) << args[index];
}

TEST_F(SpeechSynthesizerWin32Test, AFailingProgramGivesItsExitCodeAndFirstErrorLine) {
    Behave(L"fail");
    const SynthesisOutcome outcome = Run();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error,
              "音声合成に失敗しました（終了コード 3）。\n"
              "文章に読めない文字（記号、絵文字など）がないか確かめてください。\n"
              "cannot load voice");
}

TEST_F(SpeechSynthesizerWin32Test, AHangingProgramIsKilledAtTheTimeLimitOrOnCancel) {
    Behave(L"hang");
    settings_.timeout_seconds = 1;
    // The check holds the run until the program has started, so the limit passes while it runs.
    bool started = false;
    const SynthesisOutcome timed_out = Run([&] {
        started = started || StandInStarted();
        return false;
    });
    ASSERT_TRUE(started);
    EXPECT_FALSE(timed_out.ok);
    EXPECT_FALSE(timed_out.cancelled);
    EXPECT_EQ(timed_out.error, "音声合成が 1 秒以内に終わらないため中止しました。");
    EXPECT_TRUE(StandInEnded());

    fs::remove(synth_ / "pid.txt");
    settings_.timeout_seconds = 60;
    const SynthesisOutcome cancelled = Run([&] { return StandInStarted(); });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.error, "");
    EXPECT_TRUE(StandInEnded());
}

TEST_F(SpeechSynthesizerWin32Test, AMissingProgramIsNamed) {
    settings_.program = PathToUtf8(synth_ / "none.exe");
    EXPECT_EQ(Run().error, "音声合成プログラム " + settings_.program + " がありません。");
}

}  // namespace
}  // namespace kotar
