// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fuzz targets: each takes bytes from a stranger (a file, a device's replies) and runs them
// through one reader of the program, checking what must hold whatever the bytes. The fuzzers
// (make fuzz) call them with generated inputs; the regular test suite runs every saved input.
#include <cstdint>
#include <span>

namespace kotar::fuzz {

using Input = std::span<const std::uint8_t>;

// A WAV file read as a wave buffer in audio mode and in attribute mode.
void WaveFileTarget(Input input);
// A WAV file imported into the recording format.
void ImportChainTarget(Input input);
// A converted phrase read into the phrase image by the phrase-file builder.
void PhraseSourceTarget(Input input);
// The device's reply stream received by one link operation.
void DeviceReplyTarget(Input input);
// A program file checked as an application file and as an update file.
void ProgramFileTarget(Input input);
// The configuration file read and written by the INI functions.
void ProfileFileTarget(Input input);

struct Target {
    const char* name;  // also the folder of its saved inputs
    void (*run)(Input);
};

inline constexpr Target kTargets[] = {
    {"wave_file", WaveFileTarget},         {"import_chain", ImportChainTarget},
    {"phrase_source", PhraseSourceTarget}, {"device_reply", DeviceReplyTarget},
    {"program_file", ProgramFileTarget},   {"profile_file", ProfileFileTarget},
};

}  // namespace kotar::fuzz
