// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "store/SlotRecord.h"

namespace kotar {

// The layouts of a device phrase file; 0 means there is no phrase file to make.
enum PhraseFileKind : int {
    kPhraseNone = 0,
    kPhraseA = 1,
    kPhraseB = 2,
    kPhraseABContinuous = 3,
    kPhraseABSeparate = 4,
};

// The phrase panel mode of the main window: slots 1 and 2 each on its own, or slot 3.
enum class PhrasePanelMode { kAB, kContinuous };

// The kind the mode and the slots that hold phrases give: in A/B mode slots 1 and 2 -> 4,
// slot 1 only -> 1, slot 2 only -> 2, neither -> 0; in continuous mode slot 3 -> 3, else 0.
// Missing records count as slots without a phrase.
PhraseFileKind ChoosePhraseFileKind(PhrasePanelMode mode, const SlotList& slots);

// The ROM-writer export is possible: three records and a kind other than 0.
bool CanExportRomWriterData(PhrasePanelMode mode, const SlotList& slots);

// Slot indices (0-based) whose converted phrases a kind is built from, in order.
std::vector<int> SourceSlotIndices(PhraseFileKind kind);

// The file name of a kind in a property folder: "01.snd" to "04.snd"; empty for 0.
std::string PhraseFileName(PhraseFileKind kind);

// The text that names a kind to the user ("音声データＡ" ... ; 0: "音声データなし").
std::string PhraseFileKindText(PhraseFileKind kind);

}  // namespace kotar
