// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/WaveFile.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "common/ScratchFolder.h"

namespace kotar {

// Section of MEVAN.INI that holds the synthesizer's settings: PROGRAM, DICTIONARY, VOICE (paths
// for installations other than Debian's), TIMEOUT (seconds) and RATE (written only when the
// user changes it).
inline constexpr const char* kSpeechSection = "SPEECH";

inline constexpr double kDefaultSpeechRate = 1.0;
inline constexpr double kMinSpeechRate = 0.5;
inline constexpr double kMaxSpeechRate = 2.0;
// The synthesizer reads its text a line of at most 1023 bytes at a time; a longer text would be
// spoken in pieces, so it is refused before synthesis. A text that fits but speaks longer than
// the slot holds is spoken and cut as an import is (message 133).
inline constexpr std::size_t kMaxSpeechTextBytes = 1000;

// Where the synthesizer, its dictionary folder and its voice are when MEVAN.INI does not say
// (UTF-8 paths): Debian's packages on Linux; on Windows the files shipped in the open_jtalk
// folder beside the executable.
struct SpeechPaths {
    std::string program;
    std::string dictionary;
    std::string voice;
};
SpeechPaths DefaultSpeechPaths();

struct SpeechSettings {
    std::string program = DefaultSpeechPaths().program;
    std::string dictionary = DefaultSpeechPaths().dictionary;
    std::string voice = DefaultSpeechPaths().voice;
    double rate = kDefaultSpeechRate;
    int timeout_seconds = 60;
};

// The settings of the SPEECH section, the defaults for what is missing or out of range.
SpeechSettings ReadSpeechSettings(const ProfileFile& ini);
// A rate written as a decimal number with a dot within 0.5 to 2.0; nothing for other text.
std::optional<double> ParseSpeechRate(const std::string& text);
// Writes SPEECH/RATE when it differs from what the file gives; false when writing failed.
bool WriteSpeechRate(ProfileFile& ini, double rate);

// The text as the synthesizer gets it: line breaks and tabs become spaces (a typed text may
// span lines), surrounding spaces go. Nothing, with the reason in `error`, for text that is
// empty or blank, not UTF-8, holds other control characters, or is longer than
// kMaxSpeechTextBytes.
std::optional<std::string> CleanSpeechText(const std::string& text, std::string& error);

// Asked while the synthesizer runs; true stops it.
using CancelCheck = std::function<bool()>;

// What one run of the synthesizer program gave.
struct SynthesisOutcome {
    bool ok = false;
    bool cancelled = false;  // stopped by the cancel check: nothing to show
    std::string error;       // the user's text when it failed
};

// Pieces that both systems' synthesizer backends share.
// The rate as the program's -r option takes it ("1.00").
std::string FormatSpeechRate(double rate);
// The first line the program wrote to its error output (the file at path), if any.
std::string FirstErrorLine(const std::filesystem::path& path);
// The text for the program, one line in a file; false when it cannot be written.
bool WriteSpeechTextFile(const std::filesystem::path& path, const std::string& text);
// A failed run with the user's text.
SynthesisOutcome SynthesisFailed(std::string text);
// A program that ended with a non-zero code (as the system writes it), with its first error line.
SynthesisOutcome SynthesisExitFailure(const std::string& code, const std::filesystem::path& errors);

// Runs the synthesizer on the (clean) text, its WAV written to wav_path; the text goes through
// a file beside it. Stops the program when it passes the time limit or cancelled() turns true.
// Safe off the UI thread: it shows nothing.
SynthesisOutcome RunSynthesizer(const std::string& text, const SpeechSettings& settings,
                                const std::filesystem::path& wav_path,
                                const CancelCheck& cancelled);

// One synthesis in three steps, so that the slow middle one can run off the UI thread.
class SpeechJob {
public:
    // Cleans the text and makes a scratch folder of the job's own under scratch_parent. A
    // failure has been shown and raises UserAbort.
    static SpeechJob Prepare(const std::string& text, const SpeechSettings& settings,
                             const std::filesystem::path& scratch_parent, Prompter& prompter);
    // Runs the synthesizer into the scratch folder; shows nothing, so any thread may run it.
    SynthesisOutcome Run(const CancelCheck& cancelled) const;
    // Converts its WAV through the import chain to the recording format. A failure (the run's
    // or the conversion's) has been shown and raises UserAbort; a cancelled run raises
    // UserAbort silently.
    std::unique_ptr<CWaveFile> Finish(const SynthesisOutcome& outcome, Prompter& prompter) const;

    const std::string& text() const { return text_; }
    const std::filesystem::path& folder() const { return scratch_.path(); }

private:
    SpeechJob(std::string text, SpeechSettings settings, ScratchFolder scratch)
        : text_(std::move(text)), settings_(std::move(settings)), scratch_(std::move(scratch)) {}
    std::filesystem::path WavPath() const { return scratch_.path() / "speech.wav"; }

    std::string text_;
    SpeechSettings settings_;
    ScratchFolder scratch_;
};

// Text to phrase in one go: the three steps of a SpeechJob.
std::unique_ptr<CWaveFile> SynthesizeSpeech(const std::string& text, const SpeechSettings& settings,
                                            const std::filesystem::path& scratch_parent,
                                            Prompter& prompter, const CancelCheck& cancelled = {});

// The file beside a slot's WAV that keeps the text last spoken for it ("01.wav" ->
// "01.speech"): the slot scan looks at WAV files only.
std::filesystem::path SpokenTextPath(const std::filesystem::path& slot_wav);
// That text, empty when there is none.
std::string ReadSpokenText(const std::filesystem::path& slot_wav);
// Keeps the text (UTF-8) atomically; false when it could not be written.
bool WriteSpokenText(const std::filesystem::path& slot_wav, const std::string& text);

}  // namespace kotar
