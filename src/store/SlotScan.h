// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

#include "common/Prompter.h"
#include "config/Configuration.h"
#include "store/SlotRecord.h"

namespace kotar {

// Status texts of a slot in the main window.
inline constexpr const char* kSlotStatusData = "データあり";
inline constexpr const char* kSlotStatusNoData = "データなし";
// Longest attribute text taken from a slot WAV file, in cp932 bytes.
inline constexpr std::size_t kSlotAttributeMaxBytes = 32;

// What the main window shows for one slot.
enum class SlotState {
    Cleared,     // no property selected: no status, every button disabled
    Empty,       // no WAV file: "データなし", create enabled
    Filled,      // a readable WAV file: create, play and delete enabled
    Unreadable,  // the WAV file could not be read (message 110 shown): shown without a phrase,
                 // create and delete enabled so that the file can be replaced or removed
};

struct SlotView {
    SlotState state = SlotState::Cleared;
    std::string status_text;  // "データあり", "データなし" or empty
    bool create_enabled = false;
    bool play_enabled = false;
    bool delete_enabled = false;
};

// The view of a slot in a state; a filled slot shows "データあり" when its text is not empty
// and "データなし" when the file holds an empty text.
SlotView MakeSlotView(SlotState state, const SlotRecord& record);

// Result of scanning a property folder's slot files.
struct SlotScan {
    SlotList slots;  // always three records with their paths; text empty when no phrase
    std::array<SlotState, kSlotCount> states{};
};

// "01.wav" .. "03.wav" for slot index 0 .. 2.
std::string SlotWavName(int slot_index);
std::filesystem::path SlotWavPath(const std::filesystem::path& property_folder, int slot_index);

// Scans slots 1 to 3 of the property folder in order. A missing WAV file is an empty slot; an
// existing one is read in attribute mode and its text (at most 32 cp932 bytes, up to its first
// zero byte) taken. A file that cannot be read shows message 110 (through the reader); that
// slot is Unreadable and holds no phrase, and the other slots are scanned all the same.
SlotScan ScanSlots(const std::filesystem::path& property_folder, Prompter& prompter);

// The ROM-writer data button: in A/B mode when slot 1 or 2 holds a phrase, in A+B continuous
// mode when slot 3 does.
bool RomButtonEnabled(const SlotList& slots, bool ab_mode);

}  // namespace kotar
