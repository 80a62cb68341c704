// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/WaveFile.h"
#include "common/Prompter.h"

namespace kotar {

// Most sample data (the data chunk) a WAV file may hold to be imported.
inline constexpr std::uint64_t kMaxImportDataBytes = 64u * 1024 * 1024;
// Shown when a file holds more.
inline constexpr const char* kImportTooLargeText = "ファイルが大きすぎます（最大 64 MiB）。";

// Turns a WAV file of any importable format (or a read-back mu-law file) into the recording
// format (PCM mono 8000 Hz 16-bit): decoded, mixed down to mono and resampled block by block,
// so that only the result is held in full. Its length is the converter's estimate (the source
// frames at 8000 Hz, rounded up) rounded up past the next 2.5 ms block, the tail silent.
// A failure has shown 109, 110, 111, 112 or the too-large text and raises UserAbort.
std::unique_ptr<CWaveFile> ConvertToRecordingFormat(const std::string& path, Prompter& prompter);

// Importing a phrase from a WAV file the user chose.
inline std::unique_ptr<CWaveFile> RunImportChain(const std::string& path, Prompter& prompter) {
    return ConvertToRecordingFormat(path, prompter);
}

// Making a phrase read back from the device playable.
inline std::unique_ptr<CWaveFile> RunReadBackChain(const std::string& path, Prompter& prompter) {
    return ConvertToRecordingFormat(path, prompter);
}

}  // namespace kotar
