// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/WriteThread.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "audio/AcmCtrl.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace fs = std::filesystem;

fs::path WorkTempFolder(const std::string& work_folder) {
    return PathFromUtf8(work_folder) / "TEMP";
}

CWriteThread::CWriteThread(const SlotList& slots, std::string work_folder, Prompter& prompter)
    : slots_(slots), work_folder_(std::move(work_folder)), prompter_(prompter) {}

int CWriteThread::PrepareTemp() {
    converted_names_.clear();
    scratch_ = ScratchFolder::Create(WorkTempFolder(work_folder_));
    if (!scratch_) {
        prompter_.ShowMessage(kMsgDeletePropertyFailed, MessageIcon::Exclamation);
        return 0;
    }
    for (int n = 1; n <= 3; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "uLaw%02d.wav", n);
        converted_names_.push_back(PathToUtf8(scratch_->path() / name));
    }
    return 1;
}

int CWriteThread::ConvertSlot(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= slots_.size())
        return 0;
    const SlotRecord& slot = slots_[static_cast<std::size_t>(index)];
    if (!slot.HoldsPhrase())
        return 1;
    try {
        CAcmCtrl converter(kFormatMuLaw, 1, 8000, 8, kSuggestAll, slot.wav_path, prompter_);
        const int converted = converter.Convert();
        converter.UnprepareHeader();
        converter.CloseStream();
        if (!converted) {
            // A zero-filled mu-law block is full negative scale, never the phrase: save nothing.
            prompter_.ShowMessage(kMsgConversionFailed, MessageIcon::Exclamation);
            return 0;
        }
        if (static_cast<std::size_t>(index) >= converted_names_.size())
            return 0;
        return converter.target().Save(converted_names_[static_cast<std::size_t>(index)],
                                       slot.attribute_text, CWaveFile::Durability::kScratch);
    } catch (const UserAbort&) {
        return 0;
    }
}

int CWriteThread::GetConvertedPath(int index, std::string& path) const {
    if (index < 0 || static_cast<std::size_t>(index) >= converted_names_.size())
        return 0;
    path = converted_names_[static_cast<std::size_t>(index)];
    return 1;
}

}  // namespace kotar
