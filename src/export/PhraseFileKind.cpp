// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/PhraseFileKind.h"

namespace kotar {
namespace {

bool Holds(const SlotList& slots, std::size_t index) {
    return index < slots.size() && slots[index].HoldsPhrase();
}

}  // namespace

PhraseFileKind ChoosePhraseFileKind(PhrasePanelMode mode, const SlotList& slots) {
    if (mode == PhrasePanelMode::kContinuous) {
        return Holds(slots, 2) ? kPhraseABContinuous : kPhraseNone;
    }
    const bool a = Holds(slots, 0);
    const bool b = Holds(slots, 1);
    if (a && b)
        return kPhraseABSeparate;
    if (a)
        return kPhraseA;
    if (b)
        return kPhraseB;
    return kPhraseNone;
}

bool CanExportRomWriterData(PhrasePanelMode mode, const SlotList& slots) {
    return slots.size() >= 3 && ChoosePhraseFileKind(mode, slots) != kPhraseNone;
}

std::vector<int> SourceSlotIndices(PhraseFileKind kind) {
    switch (kind) {
        case kPhraseA:
            return {0};
        case kPhraseB:
            return {1};
        case kPhraseABContinuous:
            return {2};
        case kPhraseABSeparate:
            return {0, 1};
        case kPhraseNone:
            break;
    }
    return {};
}

std::string PhraseFileName(PhraseFileKind kind) {
    switch (kind) {
        case kPhraseA:
            return "01.snd";
        case kPhraseB:
            return "02.snd";
        case kPhraseABContinuous:
            return "03.snd";
        case kPhraseABSeparate:
            return "04.snd";
        case kPhraseNone:
            break;
    }
    return {};
}

std::string PhraseFileKindText(PhraseFileKind kind) {
    switch (kind) {
        case kPhraseA:
            return "音声データＡ";
        case kPhraseB:
            return "音声データＢ";
        case kPhraseABContinuous:
            return "音声データＡ＋Ｂ（連続）";
        case kPhraseABSeparate:
            return "音声データＡ＋Ｂ（個別）";
        case kPhraseNone:
            break;
    }
    return "音声データなし";
}

}  // namespace kotar
