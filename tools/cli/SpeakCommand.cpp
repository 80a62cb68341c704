// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli speak: a slot's phrase from text, through the speech synthesizer.
#include <cstdio>
#include <filesystem>
#include <string>

#include "CliCommand.h"
#include "CliProperties.h"
#include "StopSignal.h"
#include "audio/LengthLimit.h"
#include "audio/LevelAnalysis.h"
#include "audio/PhraseLevelOps.h"
#include "audio/SpeechSynthesizer.h"
#include "audio/WaveFile.h"
#include "common/Cp932.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "config/LoudnessTarget.h"
#include "export/WriteThread.h"
#include "store/SlotScan.h"

namespace kotar::cli {
namespace {

int RunSpeak(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {"rate"}, {"no-level"});
    if (parsed.positionals.size() != 3)
        throw UsageError{"expected NAME SLOT TEXT"};
    const std::string& name = parsed.positionals[0];
    const int slot = ParseSlotNumber(parsed.positionals[1]);
    SpeechSettings settings = ReadSpeechSettings(context.ini());
    if (const auto text = parsed.Option("rate")) {
        const auto rate = ParseSpeechRate(*text);
        if (!rate)
            throw UsageError{"--rate must be a number from 0.5 to 2.0"};
        settings.rate = *rate;
    }
    CliProperties properties(context);
    if (!properties.Select(name))
        return kExitFailure;
    if (properties.store().slot_views()[slot - 1].state == SlotState::Unreadable)
        return kExitFailure;
    Prompter& prompter = context.prompter();
    const std::filesystem::path wav = SlotWavPath(properties.store().current_folder(), slot - 1);
    const std::string path = PathToUtf8(wav);
    // The slot's message text stays. A slot without a phrase gets the slot's comment, as an
    // import does: a slot file without text would read as unreadable.
    std::string text = std::filesystem::exists(wav)
                           ? CWaveFile(path, CWaveFile::kAttributeMode, prompter).AttributeText()
                           : std::string();
    if (text.empty())
        text = TruncateToCp932Bytes(context.config().slot_comments[slot - 1], kSlotCommentMaxBytes);

    InstallStopSignals();
    const std::unique_ptr<CWaveFile> sound = SynthesizeSpeech(
        parsed.positionals[2], settings, WorkTempFolder(context.config().work_folder), prompter,
        [] { return StopSignalled(); });
    if (!parsed.Has("no-level")) {
        TrimSilence(*sound);
        EvenLoudness(*sound, ReadLoudnessTarget(context.ini()));
    }
    const double max_seconds = context.config().slot_max_seconds[slot - 1];
    if (const int over = CheckLength(*sound, max_seconds); over != 0) {
        sound->set_length(BytesForSeconds(*sound, max_seconds));
        if (over == 2)
            PrintSlotCutNotice(max_seconds);
    }
    const LevelFigures figures = MeasureLevels(*sound);
    if (sound->Save(path, text) != 1) {
        prompter.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return kExitFailure;
    }
    if (!WriteSpokenText(wav, parsed.positionals[2]))
        std::fprintf(stderr, "読み上げた文章を保存できませんでした。\n");
    std::printf("%s\n", FormatLevelLine(figures).c_str());
    return kExitSuccess;
}

const CommandRegistration speak_command({
    "speak",
    "NAME SLOT TEXT [--rate R] [--no-level]",
    "speak TEXT (UTF-8) with the speech synthesizer (Open JTalk) into slot 1-3 of property\n"
    "      NAME and print its levels as loudness does: rate 0.5-2.0 (default SPEECH/RATE of\n"
    "      MEVAN.INI, else 1.0); the silence at both ends is removed and the loudness evened\n"
    "      to CONFIG/LOUDNESS unless --no-level; cut to the slot's maximum length. The slot's\n"
    "      message text stays (an empty slot gets the slot's comment). Line breaks and tabs read "
    "as spaces; empty text, other control\n"
    "      characters and text over 1000 bytes are refused",
    RunSpeak,
});

}  // namespace
}  // namespace kotar::cli
