// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "common/Prompter.h"

namespace kotar {

// The 44-byte header that makes a phrase image a WAV file: mu-law, mono, 8000 samples per
// second, 8 bits, 131072 data bytes.
std::array<std::uint8_t, 44> PhraseImageWavHeader();

// "play.ulw" in the scratch folder of one play.
std::filesystem::path PlayFilePath(const std::filesystem::path& scratch_folder);

// Writes play_file as the header followed by the phrase image, which must be exactly 131072
// bytes; creates the folder of play_file when missing. False (nothing shown) when the image is
// of another size or play_file cannot be written.
bool WriteMuLawPlayFile(std::span<const std::uint8_t> image,
                        const std::filesystem::path& play_file);
// The same for the image in a phrase file; false also when the file is missing or of another
// size.
bool WriteMuLawPlayFile(const std::filesystem::path& phrase_file,
                        const std::filesystem::path& play_file);

enum class PlayFilePrepared { kReady, kNoPlayData };

// Makes a phrase image playable: writes play_file as above, converts it to the recording
// format and saves it over play_file with caption as its text. kNoPlayData when the first step
// failed (nothing shown: the caller shows its message). A conversion failure has shown its
// message and raises UserAbort.
PlayFilePrepared PreparePhrasePlayFile(std::span<const std::uint8_t> image,
                                       const std::filesystem::path& play_file,
                                       const std::string& caption, Prompter& prompter);

inline constexpr const char* kPlayDataFailedText =
    "再生用データの作成に失敗しました。\nファイルのパスを確認してください。";
inline constexpr const char* kPlayCheckCaption = "再生確認";

}  // namespace kotar
