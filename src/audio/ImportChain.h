#pragma once

#include <memory>
#include <string>

#include "audio/AcmCtrl.h"
#include "common/Prompter.h"

namespace kotar {

// Turns a WAV file of any importable format (or a read-back mu-law file) into the recording
// format in two stages: decode to PCM 16-bit keeping channels and rate, then mix down to mono
// and resample to 8000 Hz. The result is the second stage, whose target holds the sound; its
// length is the converter's estimate rounded up past the next 2.5 ms block, the tail silent.
// The first stage is released before returning. A failure has shown 109, 110 or 111 and
// raises UserAbort.
std::unique_ptr<CAcmCtrl> ConvertToRecordingFormat(const std::string& path, Prompter& prompter);

// Importing a phrase from a WAV file the user chose.
inline std::unique_ptr<CAcmCtrl> RunImportChain(const std::string& path, Prompter& prompter) {
    return ConvertToRecordingFormat(path, prompter);
}

// Making a phrase read back from the device playable.
inline std::unique_ptr<CAcmCtrl> RunReadBackChain(const std::string& path, Prompter& prompter) {
    return ConvertToRecordingFormat(path, prompter);
}

}  // namespace kotar
