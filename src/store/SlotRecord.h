// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace kotar {

// One phrase slot of the current property: where its WAV file is (also when it does not exist
// yet) and the phrase's message text. A slot holds a phrase exactly when the text is not empty.
struct SlotRecord {
    std::string wav_path;
    std::string attribute_text;  // UTF-8

    bool HoldsPhrase() const { return !attribute_text.empty(); }
};

// The records of the current property's slots 1 to 3, in slot order; owned by the main window
// and handed by reference to the dialogs and the conversion worker.
using SlotList = std::vector<SlotRecord>;

}  // namespace kotar
