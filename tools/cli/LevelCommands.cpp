// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-cli commands on the level of a slot's phrase: loudness, normalize, trim.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "CliCommand.h"
#include "CliProperties.h"
#include "audio/LengthLimit.h"
#include "audio/LevelAnalysis.h"
#include "audio/PhraseLevelOps.h"
#include "audio/SoundCtrl.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "config/LoudnessTarget.h"
#include "store/SlotScan.h"

namespace kotar::cli {
namespace {

// Changes a phrase; true when it changed.
using LevelOperation = std::function<bool(CSoundCtrl&)>;

// Measures (and with an operation first changes and saves) the phrase of a slot; prints its
// figures.
int RunOnSlot(CliContext& context, const ParsedArguments& parsed, const LevelOperation& operation) {
    if (parsed.positionals.size() != 2)
        throw UsageError{"expected NAME SLOT"};
    const std::string& name = parsed.positionals[0];
    const int slot = ParseSlotNumber(parsed.positionals[1]);
    CliProperties properties(context);
    if (!properties.Select(name))
        return kExitFailure;
    // An unreadable slot file has been reported (110) by the scan.
    if (properties.store().slot_views()[slot - 1].state == SlotState::Unreadable)
        return kExitFailure;
    const std::string path = PathToUtf8(SlotWavPath(properties.store().current_folder(), slot - 1));
    Prompter& prompter = context.prompter();
    // The slot's own file decides, also when the scan stopped at an earlier slot.
    const std::string text =
        std::filesystem::exists(path)
            ? CWaveFile(path, CWaveFile::kAttributeMode, prompter).AttributeText()
            : std::string();
    if (text.empty()) {
        std::fprintf(stderr, "kotar-cli: slot %d of '%s' holds no phrase\n", slot, name.c_str());
        return kExitFailure;
    }
    CSoundCtrl sound(path, CWaveFile::kAudioMode, prompter);
    // A header that claims anything but the recording format is refused as unreadable: such a
    // file was not made by the program, and nothing of it is measured or changed.
    if (!HasLevelFormat(sound)) {
        prompter.ShowMessage(kMsgCannotOpenSound, MessageIcon::Exclamation);
        return kExitFailure;
    }
    bool changed = false;
    if (operation) {
        changed = operation(sound);
        // A slot file never leaves here longer than the slot's maximum.
        const double max_seconds = context.config().slot_max_seconds[slot - 1];
        if (const int over = CheckLength(sound, max_seconds); over != 0) {
            TruncateToSeconds(sound, max_seconds);
            changed = true;
            if (over == 2)
                PrintSlotCutNotice(max_seconds);
        }
    }
    // The new sound is measured before it replaces the file, so that whatever goes wrong on
    // the way leaves the old file as it was.
    const LevelFigures figures = MeasureLevels(sound);
    if (changed && sound.Save(path, text) != 1) {
        prompter.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return kExitFailure;
    }
    if (operation && !changed && figures.loudness_lufs == -std::numeric_limits<double>::infinity())
        std::fprintf(stderr, "無音のため変更しませんでした。\n");
    std::printf("%s\n", FormatLevelLine(figures).c_str());
    return kExitSuccess;
}

int RunLoudness(CliContext& context, const std::vector<std::string>& args) {
    return RunOnSlot(context, ParseArguments(args, {}), nullptr);
}

int RunNormalize(CliContext& context, const std::vector<std::string>& args) {
    const ParsedArguments parsed = ParseArguments(args, {"target"});
    double target = ReadLoudnessTarget(context.ini());
    if (const auto text = parsed.Option("target")) {
        const auto value = ParseLoudnessTarget(*text);
        if (!value)
            throw UsageError{"--target must be a loudness from -40 to -5 (LUFS)"};
        target = *value;
    }
    return RunOnSlot(context, parsed, [target](CSoundCtrl& sound) {
        return EvenLoudness(sound, target).gain != 1.0;
    });
}

int RunTrim(CliContext& context, const std::vector<std::string>& args) {
    return RunOnSlot(context, ParseArguments(args, {}),
                     [](CSoundCtrl& sound) { return TrimSilence(sound); });
}

const CommandRegistration loudness_command({
    "loudness",
    "NAME SLOT",
    "print the levels of the phrase in slot 1-3 of property NAME as one line\n"
    "      \"peak P dBFS, loudness L LUFS, clipped N\": the sample peak, the integrated\n"
    "      loudness after EBU R128 (ungated for phrases under 400 ms), the samples in runs\n"
    "      of 3 or more at full scale; -inf stands for silence. The level commands work on\n"
    "      8000 Hz mono 16-bit phrases only; any other slot file is refused as unreadable",
    RunLoudness,
});

const CommandRegistration normalize_command({
    "normalize",
    "NAME SLOT [--target LUFS]",
    "even the loudness of the phrase in slot 1-3 of property NAME and print its new\n"
    "      levels: gain to the target (-40 to -5; default CONFIG/LOUDNESS of MEVAN.INI,\n"
    "      else -16) or less, so that the peak stays at or below -1 dBFS; a silent phrase\n"
    "      (loudness -inf) stays as it is, with the notice \"無音のため変更しませんでした。\"",
    RunNormalize,
});

const CommandRegistration trim_command({
    "trim",
    "NAME SLOT",
    "remove what stays below -45 dBFS at both ends of the phrase in slot 1-3 of\n"
    "      property NAME, keeping 100 ms before and after the sound, and print its new\n"
    "      levels; a phrase without sound that loud stays as it is, and a silent one\n"
    "      (loudness -inf) with the notice \"無音のため変更しませんでした。\"",
    RunTrim,
});

}  // namespace
}  // namespace kotar::cli
