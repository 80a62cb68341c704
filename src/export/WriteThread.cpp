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

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

CWriteThread::CWriteThread(const SlotList& slots, std::string work_folder, Prompter& prompter)
    : slots_(slots), work_folder_(std::move(work_folder)), prompter_(prompter) {}

int CWriteThread::PrepareTemp() {
    temp_folder_ = PathToUtf8(PathFromUtf8(work_folder_) / "TEMP");
    std::error_code ec;
    fs::create_directory(PathFromUtf8(temp_folder_),
                         ec);  // an existing folder is fine; a failure shows below
    if (!DeleteFiles(temp_folder_, ".wav")) {
        prompter_.ShowMessage(kMsgDeletePropertyFailed, MessageIcon::Exclamation);
        return 0;
    }
    converted_names_.clear();
    for (int n = 1; n <= 3; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "uLaw%02d.wav", n);
        converted_names_.push_back(PathToUtf8(PathFromUtf8(temp_folder_) / name));
    }
    return 1;
}

int CWriteThread::DeleteFiles(const std::string& folder, const std::string& extension) {
    std::error_code ec;
    fs::directory_iterator it(PathFromUtf8(folder), ec);
    if (ec)
        return 0;
    bool all_gone = true;
    for (const fs::directory_entry& entry : it) {
        const fs::path& path = entry.path();
        if (!EqualsIgnoringCase(path.extension().string(), extension))
            continue;
        std::error_code type_ec;
        if (!entry.is_regular_file(type_ec) && !entry.is_symlink(type_ec))
            continue;
        std::error_code remove_ec;
        if (!fs::remove(path, remove_ec) || remove_ec)
            all_gone = false;
    }
    return all_gone ? 1 : 0;
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
