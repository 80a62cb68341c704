// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/PhraseTransfer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <span>
#include <vector>

#include "common/AtomicFile.h"
#include "common/FileRead.h"
#include "ops/TransferSequence.h"

namespace kotar {
namespace {

constexpr const char* kPhraseLabel = "不定フレーズ";

// Reads the phrase area back over the open port and compares it with what was written; shows
// the outcome.
PhraseWriteOutcome VerifyPhraseArea(SerialCom& link, std::span<const std::uint8_t> written,
                                    TransferSink& sink, const std::function<void()>& after_block) {
    const std::string label = kPhraseLabel;
    sink.SetStatus(label + " 照合中");
    std::vector<std::uint8_t> back(written.size(), 0xFF);
    const int result = RunReadSequence(link, KIND_PHRASE_READ, kPhraseArea, back, after_block);
    link.ClosePort();
    if (result != TRANSFER_OK) {
        // A stop here comes after a write the device has taken; only the check was left out.
        const std::string text = result == TRANSFER_STOPPED
                                     ? label + " 照合中止"
                                     : ReadFailedText(label, result, link.line_gone());
        ShowSequenceEnd(link, sink, text, result);
        return PhraseWriteOutcome::kFailed;
    }
    const auto [w, b] = std::mismatch(written.begin(), written.end(), back.begin());
    if (w != written.end()) {
        const auto differing = std::inner_product(
            written.begin(), written.end(), back.begin(), std::size_t{0}, std::plus<>(),
            [](std::uint8_t x, std::uint8_t y) { return std::size_t{x != y}; });
        char detail[96];
        std::snprintf(detail, sizeof detail,
                      " 照合不一致 オフセット 0x%06zX 書込 0x%02X 読込 0x%02X 不一致 %zu バイト",
                      static_cast<std::size_t>(w - written.begin()), *w, *b, differing);
        link.WriteLog(label + detail);
        sink.SetStatus(label + " 照合失敗（不一致）");
        return PhraseWriteOutcome::kMismatch;
    }
    sink.SetStatus(label + " 書込完了（照合一致）");
    return PhraseWriteOutcome::kWritten;
}

// The write (and check) of an image that is exactly 131072 bytes, after the status "書込中".
PhraseWriteOutcome SendPhraseImage(SerialCom& link, std::span<const std::uint8_t> image,
                                   int port_number, TransferSink& sink, bool verify) {
    const std::uint32_t checksum = AdditiveChecksum(image);
    if (!link.OpenPort(port_number)) {
        sink.SetStatus(PortOpenErrorText(link));
        return PhraseWriteOutcome::kFailed;
    }
    int position = 1;
    sink.SetProgressRange(kPhraseBlocks * (verify ? 2 : 1) + 1);
    sink.SetProgress(position);
    const auto advance = [&] { sink.SetProgress(++position); };
    const int result =
        RunWriteSequence(link, KIND_PHRASE_WRITE, kPhraseArea, image, checksum, advance);
    if (result == TRANSFER_OK && verify)
        return VerifyPhraseArea(link, image, sink, advance);
    link.ClosePort();
    if (result != TRANSFER_OK) {
        ShowSequenceEnd(link, sink, WriteFailedText(kPhraseLabel, result, link.line_gone()),
                        result);
        return PhraseWriteOutcome::kFailed;
    }
    sink.SetStatus("不定フレーズ書込成功");
    return PhraseWriteOutcome::kWritten;
}

}  // namespace

PhraseWriteOutcome WritePhraseFile(const std::filesystem::path& file, int port_number,
                                   const LinkEnvironment& environment, TransferSink& sink,
                                   bool verify) {
    SerialCom link(environment);
    sink.SetStatus(std::string(kPhraseLabel) + " 書込中");
    std::vector<std::uint8_t> image(kPhraseFileBytes, 0xFF);
    if (!ReadFileOfExactSize(file, kPhraseFileBytes, image.data())) {
        const std::string text = "不定フレーズファイル読込エラー";
        sink.SetStatus(text);
        link.WriteLog(text);
        return PhraseWriteOutcome::kFailed;
    }
    return SendPhraseImage(link, image, port_number, sink, verify);
}

PhraseWriteOutcome WritePhraseImage(std::span<const std::uint8_t> image, int port_number,
                                    const LinkEnvironment& environment, TransferSink& sink,
                                    bool verify) {
    SerialCom link(environment);
    sink.SetStatus(std::string(kPhraseLabel) + " 書込中");
    if (image.size() != kPhraseFileBytes) {
        sink.SetStatus("不定フレーズファイル読込エラー");
        return PhraseWriteOutcome::kFailed;
    }
    return SendPhraseImage(link, image, port_number, sink, verify);
}

bool ReadPhrasesToFile(const std::filesystem::path& out, int port_number,
                       const LinkEnvironment& environment, TransferSink& sink) {
    SerialCom link(environment);
    const std::string label = kPhraseLabel;
    sink.SetStatus(label + " 読込中");
    if (!link.OpenPort(port_number)) {
        sink.SetStatus(PortOpenErrorText(link));
        return false;
    }
    int position = 1;
    sink.SetProgressRange(kPhraseBlocks + 1);
    sink.SetProgress(position);
    std::vector<std::uint8_t> image(kPhraseFileBytes, 0xFF);
    const int result = RunReadSequence(link, KIND_PHRASE_READ, kPhraseArea, image,
                                       [&] { sink.SetProgress(++position); });
    link.ClosePort();
    if (result != TRANSFER_OK) {
        ShowSequenceEnd(link, sink, ReadFailedText(label, result, link.line_gone()), result);
        return false;
    }
    if (!WriteFileAtomically(out, image)) {
        const std::string text = "不定フレーズファイル書込エラー";
        sink.SetStatus(text);
        link.WriteLog(text);
        return false;
    }
    sink.SetStatus("不定フレーズ読込成功");
    return true;
}

}  // namespace kotar
