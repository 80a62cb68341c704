// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Prompter.h"
#include "export/PhraseFileKind.h"
#include "store/SlotRecord.h"

namespace kotar {

enum class PhraseBuildResult {
    kWritten,      // the destination holds the new image
    kWriteFailed,  // the destination could not be written (it is as it was)
    kNotBuilt,     // a conversion or a source failed; its message has been shown
};

// Converts the source slots of `kind` into the work folder's TEMP folder and builds the phrase
// file at destination (the conversion and build shared by the phrase write and the ROM-writer
// export). Shows only the messages of the conversion and the sources (109, 110, 111, 112,
// 119); the caller reports the result. With `image`, a build that was written also leaves the
// 131072 bytes there: another copy may replace the file at any moment after.
PhraseBuildResult BuildPhraseFile(PhraseFileKind kind, const SlotList& slots,
                                  const std::string& work_folder, const std::string& destination,
                                  Prompter& prompter, std::vector<std::uint8_t>* image = nullptr);

// What the source slot files of `kind` hold, in SourceSlotIndices order: each file's bytes, or
// nothing for a file that cannot be read. Taken before a build, it tells afterwards whether the
// phrases the image was made from are still the property's (another copy may have recorded,
// imported or deleted one since).
using SourceStamp = std::vector<std::optional<std::vector<std::uint8_t>>>;
SourceStamp StampSourceSlots(PhraseFileKind kind, const SlotList& slots);

}  // namespace kotar
