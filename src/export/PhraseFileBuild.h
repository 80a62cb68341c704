#pragma once

#include <string>

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
// 119); the caller reports the result.
PhraseBuildResult BuildPhraseFile(PhraseFileKind kind, const SlotList& slots,
                                  const std::string& work_folder, const std::string& destination,
                                  Prompter& prompter);

}  // namespace kotar
