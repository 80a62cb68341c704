// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/SlotScan.h"

#include <cstdio>
#include <system_error>

#include "audio/WaveFile.h"
#include "common/Cp932.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"

namespace kotar {

SlotView MakeSlotView(SlotState state, const SlotRecord& record) {
    SlotView view;
    view.state = state;
    switch (state) {
        case SlotState::Cleared:
            break;
        case SlotState::Empty:
            view.status_text = kSlotStatusNoData;
            view.create_enabled = true;
            break;
        case SlotState::Filled:
            view.status_text = record.HoldsPhrase() ? kSlotStatusData : kSlotStatusNoData;
            view.create_enabled = view.play_enabled = view.delete_enabled = true;
            break;
        case SlotState::Unreadable:
            view.status_text = kSlotStatusNoData;
            view.create_enabled = view.delete_enabled = true;
            break;
    }
    return view;
}

std::string SlotWavName(int slot_index) {
    char name[16];
    std::snprintf(name, sizeof(name), "%02d.wav", slot_index + 1);
    return name;
}

std::filesystem::path SlotWavPath(const std::filesystem::path& property_folder, int slot_index) {
    return property_folder / SlotWavName(slot_index);
}

namespace {

// The attribute text as the slot list keeps it: at most 32 cp932 bytes, up to the first zero
// byte, never cut inside a character.
std::string SlotAttributeText(const std::string& utf8) {
    std::string cp932 = Utf8ToCp932(utf8);
    cp932 = TruncateCp932Bytes(cp932, kSlotAttributeMaxBytes);
    if (std::size_t zero = cp932.find('\0'); zero != std::string::npos)
        cp932.resize(zero);
    return Cp932ToUtf8(cp932);
}

}  // namespace

SlotScan ScanSlots(const std::filesystem::path& property_folder, Prompter& prompter) {
    SlotScan scan;
    scan.slots.resize(kSlotCount);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SlotRecord& record = scan.slots[slot];
        record.wav_path = PathToUtf8(SlotWavPath(property_folder, slot));
        std::error_code ec;
        if (!std::filesystem::exists(PathFromUtf8(record.wav_path), ec)) {
            scan.states[slot] = SlotState::Empty;
            continue;
        }
        try {
            CWaveFile attributes(record.wav_path, CWaveFile::kAttributeMode, prompter);
            record.attribute_text = SlotAttributeText(attributes.AttributeText());
            scan.states[slot] = SlotState::Filled;
        } catch (const UserAbort&) {
            // The reader has shown message 110. One broken file hides nothing of the others,
            // and the slot can be given a new phrase.
            scan.states[slot] = SlotState::Unreadable;
        }
    }
    return scan;
}

bool RomButtonEnabled(const SlotList& slots, bool ab_mode) {
    if (slots.size() < static_cast<std::size_t>(kSlotCount))
        return false;
    return ab_mode ? (slots[0].HoldsPhrase() || slots[1].HoldsPhrase()) : slots[2].HoldsPhrase();
}

}  // namespace kotar
