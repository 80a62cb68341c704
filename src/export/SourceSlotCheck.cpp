// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/SourceSlotCheck.h"

namespace kotar {
namespace {

std::vector<int> PanelModeSlotIndices(PhrasePanelMode mode) {
    return mode == PhrasePanelMode::kAB ? std::vector<int>{0, 1} : std::vector<int>{2};
}

std::string UnreadableSlotText(const std::string& slot_caption, const std::string& wav_path) {
    return "「" + slot_caption +
           "」の音声ファイルを読み込めないため、音声データを作成できません。\n" + wav_path +
           "\n音声を作成し直すか、削除してください。";
}

}  // namespace

std::optional<int> UnreadableSourceSlot(PhrasePanelMode mode,
                                        const std::array<SlotView, kSlotCount>& views) {
    for (int index : PanelModeSlotIndices(mode)) {
        if (views[static_cast<std::size_t>(index)].state == SlotState::Unreadable)
            return index;
    }
    return std::nullopt;
}

bool RefuseUnreadableSourceSlot(PhrasePanelMode mode, const PropertyStore& store,
                                const std::array<std::string, kSlotCount>& slot_captions,
                                Prompter& prompter) {
    const std::optional<int> slot = UnreadableSourceSlot(mode, store.slot_views());
    if (!slot)
        return false;
    const auto index = static_cast<std::size_t>(*slot);
    const std::string path = index < store.slots().size() ? store.slots()[index].wav_path : "";
    prompter.ShowText(UnreadableSlotText(slot_captions[index], path), "", MessageIcon::Exclamation);
    return true;
}

}  // namespace kotar
