#include "ops/PhraseTransfer.h"

#include <fstream>
#include <vector>

#include "common/AtomicFile.h"
#include "common/FileRead.h"
#include "ops/TransferSequence.h"

namespace kotar {
namespace {

constexpr const char* kPhraseLabel = "不定フレーズ";

}  // namespace

bool WritePhraseFile(const std::filesystem::path& file, int port_number,
                     const LinkEnvironment& environment, TransferSink& sink) {
    SerialCom link(environment);
    const std::string label = kPhraseLabel;
    sink.SetStatus(label + " 書込中");

    std::vector<std::uint8_t> image(kPhraseFileBytes, 0xFF);
    if (!ReadFileOfExactSize(file, kPhraseFileBytes, image.data())) {
        const std::string text = "不定フレーズファイル読込エラー";
        sink.SetStatus(text);
        link.WriteLog(text);
        return false;
    }
    const std::uint32_t checksum = AdditiveChecksum(image);

    if (!link.OpenPort(port_number)) {
        sink.SetStatus(kPortOpenErrorText);
        return false;
    }
    int position = 1;
    sink.SetProgressRange(kPhraseBlocks + 1);
    sink.SetProgress(position);
    const int result = RunWriteSequence(link, KIND_PHRASE_WRITE, kPhraseArea, image, checksum,
                                        [&] { sink.SetProgress(++position); });
    link.ClosePort();
    if (result != TRANSFER_OK) {
        sink.SetStatus(WriteFailedText(label, result));
        return false;
    }
    sink.SetStatus("不定フレーズ書込成功");
    return true;
}

bool ReadPhrasesToFile(const std::filesystem::path& out, int port_number,
                       const LinkEnvironment& environment, TransferSink& sink) {
    SerialCom link(environment);
    const std::string label = kPhraseLabel;
    sink.SetStatus(label + " 読込中");
    if (!link.OpenPort(port_number)) {
        sink.SetStatus(kPortOpenErrorText);
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
        sink.SetStatus(ReadFailedText(label, result));
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
