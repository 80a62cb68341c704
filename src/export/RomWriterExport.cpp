// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/RomWriterExport.h"

#include <optional>

#include "common/Messages.h"
#include "export/PhraseFileBuild.h"

namespace kotar {

int ChooseSndFile(Prompter& prompter, const std::string& property_folder, std::string& path) {
    FileDialogRequest request;
    request.default_extension = "snd";
    request.filter = "SND(*.snd)|*.snd|全て(*.*)|*.*||";
    request.hide_read_only = true;
    request.prompt_overwrite = true;
    request.initial_folder = property_folder;
    std::optional<std::string> chosen = prompter.ChooseSaveFile(request);
    if (!chosen || chosen->empty()) {
        path.clear();
        return 0;
    }
    path = *chosen;
    return 1;
}

RomExportResult BuildRomWriterFile(PhraseFileKind kind, const SlotList& slots,
                                   const std::string& work_folder, const std::string& destination,
                                   Prompter& prompter) {
    switch (BuildPhraseFile(kind, slots, work_folder, destination, prompter)) {
        case PhraseBuildResult::kWritten:
            prompter.ShowMessage(kMsgFileWriteSucceeded, MessageIcon::Information);
            return RomExportResult::kWritten;
        case PhraseBuildResult::kWriteFailed:
            prompter.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
            return RomExportResult::kWriteFailed;
        case PhraseBuildResult::kNotBuilt:
            break;
    }
    return RomExportResult::kNotBuilt;
}

RomExportResult ExportRomWriterData(PhrasePanelMode mode, const SlotList& slots,
                                    const std::string& work_folder,
                                    const std::string& property_folder, Prompter& prompter) {
    // The button is enabled only when the mode's slots hold a phrase; without one there is
    // nothing that could be built.
    if (!CanExportRomWriterData(mode, slots))
        return RomExportResult::kNoPhrase;
    const PhraseFileKind kind = ChoosePhraseFileKind(mode, slots);
    std::string destination;
    if (!ChooseSndFile(prompter, property_folder, destination))
        return RomExportResult::kCancelled;
    return BuildRomWriterFile(kind, slots, work_folder, destination, prompter);
}

}  // namespace kotar
