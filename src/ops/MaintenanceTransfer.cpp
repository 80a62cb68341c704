// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/MaintenanceTransfer.h"

#include <vector>

#include "common/AtomicFile.h"
#include "ops/TransferSequence.h"

namespace kotar {
namespace {

constexpr const char* kProgramLabel = "プログラム";
constexpr const char* kDataLabel = "データ";

// One program area over a port opened and closed for it.
bool WriteProgramArea(std::span<const std::uint8_t> image, std::int32_t area,
                      std::uint32_t checksum, int port_number, const LinkEnvironment& environment,
                      TransferSink& sink, int* progress) {
    SerialCom link(environment);
    if (!link.OpenPort(port_number)) {
        sink.SetStatus(PortOpenErrorText(link));
        return false;
    }
    const int result = RunWriteSequence(link, KIND_PROGRAM_WRITE, area, image, checksum,
                                        [&] { sink.SetProgress(++*progress); });
    link.ClosePort();
    if (result != TRANSFER_OK) {
        ShowSequenceEnd(link, sink, WriteFailedText(kProgramLabel, result, link.line_gone()),
                        result);
        return false;
    }
    return true;
}

}  // namespace

bool WriteProgram(const ProgramSelection& application, const ProgramSelection& update,
                  int port_number, const LinkEnvironment& environment, TransferSink& sink) {
    sink.SetStatus(std::string(kProgramLabel) + " 書込中");
    const int application_blocks = static_cast<int>(kApplicationImageBytes / kBlockBytes);
    const int update_blocks = static_cast<int>(kUpdateFileBytes / kBlockBytes);
    int progress = 1;
    sink.SetProgressRange(application_blocks + update_blocks + 1);
    sink.SetProgress(progress);
    if (!WriteProgramArea(application.image, kApplicationArea, application.checksum, port_number,
                          environment, sink, &progress)) {
        return false;
    }
    if (!WriteProgramArea(update.image, kUpdateArea, update.checksum, port_number, environment,
                          sink, &progress)) {
        return false;
    }
    sink.SetStatus("プログラム書込成功");
    return true;
}

bool ReadDataToFile(const std::filesystem::path& out, int port_number,
                    const LinkEnvironment& environment, TransferSink& sink) {
    SerialCom link(environment);
    sink.SetStatus(std::string(kDataLabel) + " 読込中");
    if (!link.OpenPort(port_number)) {
        sink.SetStatus(PortOpenErrorText(link));
        return false;
    }
    int position = 1;
    sink.SetProgressRange(static_cast<int>(kDataAreaBytes / kBlockBytes) + 1);
    sink.SetProgress(position);
    std::vector<std::uint8_t> data(kDataAreaBytes, 0xFF);
    const int result = RunReadSequence(link, KIND_DATA_READ, kDataArea, data,
                                       [&] { sink.SetProgress(++position); });
    link.ClosePort();
    if (result != TRANSFER_OK) {
        ShowSequenceEnd(link, sink, ReadFailedText(kDataLabel, result, link.line_gone()), result);
        return false;
    }
    if (!WriteFileAtomically(out, data)) {
        const std::string text = "データファイル書込エラー";
        sink.SetStatus(text);
        link.WriteLog(text);
        return false;
    }
    sink.SetStatus("データ読込成功");
    return true;
}

}  // namespace kotar
