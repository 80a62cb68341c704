// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>

#include "common/Prompter.h"
#include "config/Configuration.h"
#include "export/PhraseFileKind.h"
#include "store/PropertyStore.h"

namespace kotar {

// The first slot whose WAV file could not be read (index) among those a phrase image of the
// mode draws from: slots 1 and 2 in A/B mode, slot 3 in A+B continuous mode.
std::optional<int> UnreadableSourceSlot(PhrasePanelMode mode,
                                        const std::array<SlotView, kSlotCount>& views);

// The one rule of every command that makes a phrase image from a property (the ROM-writer
// export, the write of the created data, in the desktop program and the command-line tool):
// with a slot of the mode unreadable, the image would lack that phrase without a word. Shows the
// refusal naming the slot by its caption and its file (exclamation) and answers true then; false
// when the mode's slots can all be read.
bool RefuseUnreadableSourceSlot(PhrasePanelMode mode, const PropertyStore& store,
                                const std::array<std::string, kSlotCount>& slot_captions,
                                Prompter& prompter);

}  // namespace kotar
