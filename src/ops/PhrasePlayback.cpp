// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/PhrasePlayback.h"

#include <system_error>
#include <vector>

#include "audio/ImportChain.h"
#include "common/AtomicFile.h"
#include "common/FileRead.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "ops/PhraseTransfer.h"

namespace kotar {
namespace {

void Put(std::array<std::uint8_t, 44>& header, std::size_t& at, const char* tag) {
    for (int i = 0; i < 4; ++i)
        header[at++] = static_cast<std::uint8_t>(tag[i]);
}
void Put32(std::array<std::uint8_t, 44>& header, std::size_t& at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        header[at++] = static_cast<std::uint8_t>(value >> (8 * i));
}
void Put16(std::array<std::uint8_t, 44>& header, std::size_t& at, std::uint16_t value) {
    header[at++] = static_cast<std::uint8_t>(value);
    header[at++] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::array<std::uint8_t, 44> PhraseImageWavHeader() {
    constexpr std::uint32_t kDataBytes = kPhraseFileBytes;
    std::array<std::uint8_t, 44> header{};
    std::size_t at = 0;
    Put(header, at, "RIFF");
    Put32(header, at, kDataBytes + 36);
    Put(header, at, "WAVE");
    Put(header, at, "fmt ");
    Put32(header, at, 16);
    Put16(header, at, 7);  // mu-law
    Put16(header, at, 1);
    Put32(header, at, 8000);
    Put32(header, at, 8000);
    Put16(header, at, 1);
    Put16(header, at, 8);
    Put(header, at, "data");
    Put32(header, at, kDataBytes);
    return header;
}

std::filesystem::path PlayFilePath(const std::filesystem::path& scratch_folder) {
    return scratch_folder / "play.ulw";
}

bool WriteMuLawPlayFile(std::span<const std::uint8_t> image,
                        const std::filesystem::path& play_file) {
    if (image.size() != kPhraseFileBytes)
        return false;
    const std::array<std::uint8_t, 44> header = PhraseImageWavHeader();
    std::vector<std::uint8_t> play(header.begin(), header.end());
    play.insert(play.end(), image.begin(), image.end());
    std::error_code ec;
    const std::filesystem::path folder = play_file.parent_path();
    if (!std::filesystem::is_directory(folder, ec))
        std::filesystem::create_directories(folder, ec);
    return WriteFileAtomically(play_file, play);
}

bool WriteMuLawPlayFile(const std::filesystem::path& phrase_file,
                        const std::filesystem::path& play_file) {
    std::vector<std::uint8_t> image(kPhraseFileBytes, 0xFF);
    return ReadFileOfExactSize(phrase_file, kPhraseFileBytes, image.data()) &&
           WriteMuLawPlayFile(image, play_file);
}

PlayFilePrepared PreparePhrasePlayFile(std::span<const std::uint8_t> image,
                                       const std::filesystem::path& play_file,
                                       const std::string& caption, Prompter& prompter) {
    if (!WriteMuLawPlayFile(image, play_file))
        return PlayFilePrepared::kNoPlayData;
    std::unique_ptr<CWaveFile> converted = RunReadBackChain(play_file.string(), prompter);
    if (!converted->Save(play_file.string(), caption)) {
        prompter.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        throw UserAbort();
    }
    return PlayFilePrepared::kReady;
}

}  // namespace kotar
