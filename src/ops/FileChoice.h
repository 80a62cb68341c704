// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "common/Prompter.h"

namespace kotar {

// The file dialogs of the transfer dialogs, with the checks made on their answers. Each returns
// the chosen full path, or nothing when the user cancelled or the choice was refused (its
// message has then been shown).

// Phrase file to write ("参照" of the write/read dialog): filter "SND(*.snd)|*.snd||". Another
// extension than "snd" (letter case ignored) is refused with the file type message.
std::optional<std::string> ChoosePhraseFileToWrite(Prompter& prompter);
// File for the variable phrases read from the device: save dialog, default extension "snd".
std::optional<std::string> ChoosePhraseFileToSave(Prompter& prompter);
// Program file ("参照" of the maintenance dialog): filter "BIN(*.bin)|*.bin||". An extension
// other than exactly "bin" (".BIN" included) is refused with the file type message.
// initial_folder: where the dialog opens (empty: the dialog's own choice).
std::optional<std::string> ChooseProgramFile(Prompter& prompter,
                                             const std::string& initial_folder = {});
// File for the data area: save dialog, default extension "log"; the extension is not checked.
std::optional<std::string> ChooseDataFile(Prompter& prompter,
                                          const std::string& initial_folder = {});

}  // namespace kotar
