// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesizer program as a child process: posix_spawn in a process group of its own, so
// that a time limit or a cancel stops it with whatever it started.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "audio/SpeechSynthesizer.h"
#include "common/Utf8Path.h"

extern char** environ;

namespace kotar {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

// Kills the program's whole group before reaping it, so that the group id cannot have been
// given to another process yet.
void StopGroup(pid_t pid) {
    ::kill(-pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

SpeechPaths DefaultSpeechPaths() {
    return {"open_jtalk", "/var/lib/mecab/dic/open-jtalk/naist-jdic",
            "/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice"};
}

SynthesisOutcome RunSynthesizer(const std::string& text, const SpeechSettings& settings,
                                const std::filesystem::path& wav_path,
                                const CancelCheck& cancelled) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(settings.dictionary) / "sys.dic",
                                          ec)) {
        return SynthesisFailed(
            "音声合成の辞書がありません（" + settings.dictionary +
            "）。\nパッケージ open-jtalk-mecab-naist-jdic をインストールしてください。");
    }
    if (!std::filesystem::is_regular_file(settings.voice, ec)) {
        return SynthesisFailed("音声合成の声がありません（" + settings.voice +
                               "）。\nパッケージ hts-voice-nitech-jp-atr503-m001 "
                               "（Debian の contrib）をインストールしてください。");
    }
    const std::filesystem::path folder = wav_path.parent_path();
    const std::filesystem::path text_path = folder / "speech.txt";
    const std::filesystem::path error_path = folder / "speech.err";
    if (!WriteSpeechTextFile(text_path, text)) {
        return SynthesisFailed("音声合成の文章を書けません（" + PathToUtf8(text_path) + "）。");
    }

    const std::string rate = FormatSpeechRate(settings.rate);
    const std::string wav = PathToUtf8(wav_path);
    const std::string input = PathToUtf8(text_path);
    const std::string errors = PathToUtf8(error_path);
    std::vector<std::string> args = {settings.program,
                                     "-x",
                                     settings.dictionary,
                                     "-m",
                                     settings.voice,
                                     "-r",
                                     rate,
                                     "-ow",
                                     wav,
                                     input};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t no_signals;
    sigemptyset(&no_signals);
    sigset_t default_signals;
    sigemptyset(&default_signals);
    sigaddset(&default_signals, SIGPIPE);
    sigaddset(&default_signals, SIGINT);
    sigaddset(&default_signals, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &no_signals);
    posix_spawnattr_setsigdefault(&attributes, &default_signals);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned == ENOENT) {
        return SynthesisFailed(
            "音声合成プログラム " + settings.program +
            " がありません。\nパッケージ open-jtalk をインストールしてください。");
    }
    if (spawned != 0) {
        return SynthesisFailed("音声合成プログラム " + settings.program + " を起動できません（" +
                               std::generic_category().message(spawned) + "）。");
    }

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(settings.timeout_seconds);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            return SynthesisFailed("音声合成プログラムの終了を確認できません。");
        if (cancelled && cancelled()) {
            StopGroup(pid);
            return {false, true, {}};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            StopGroup(pid);
            return SynthesisFailed("音声合成が " + std::to_string(settings.timeout_seconds) +
                                   " 秒以内に終わらないため中止しました。");
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    if (WIFSIGNALED(status)) {
        return SynthesisFailed("音声合成プログラムが異常終了しました（シグナル " +
                               std::to_string(WTERMSIG(status)) + "）。");
    }
    if (WEXITSTATUS(status) != 0)
        return SynthesisExitFailure(std::to_string(WEXITSTATUS(status)), error_path);
    return {true, false, {}};
}

}  // namespace kotar
