// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "common/Prompter.h"
#include "export/PhraseFileKind.h"
#include "store/SlotRecord.h"

namespace kotar {

enum class RomExportResult {
    kWritten,      // message 116 shown
    kWriteFailed,  // message 114 shown
    kNotBuilt,     // a conversion or source failed with its own message
    kCancelled,    // the user cancelled the save dialog
    kNoPhrase,     // the mode's slots hold no phrase: nothing to do
};

// The save dialog of the export: a ".snd" file in the property folder's neighbourhood, asking
// before an existing file is replaced. 1 with the chosen path; 0 with path empty.
int ChooseSndFile(Prompter& prompter, const std::string& property_folder, std::string& path);

// Converts and builds the phrase file of `kind` at destination, then reports 116 (information)
// or 114 (exclamation).
RomExportResult BuildRomWriterFile(PhraseFileKind kind, const SlotList& slots,
                                   const std::string& work_folder, const std::string& destination,
                                   Prompter& prompter);

// The whole export: the kind from the mode and the slots, the save dialog, the build.
RomExportResult ExportRomWriterData(PhrasePanelMode mode, const SlotList& slots,
                                    const std::string& work_folder,
                                    const std::string& property_folder, Prompter& prompter);

}  // namespace kotar
