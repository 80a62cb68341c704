// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in synthesizer on Windows: the stand-in program built beside the test programs
// (speech_stand_in.exe), told its behaviour by a file in its folder.
#include "StandInSynthesizer.h"
#include "common/ProcessFolders.h"

namespace kotar::test {

const char* const StandInSynthesizer::kProgramName = "open_jtalk.exe";

void StandInSynthesizer::Set(Behaviour behaviour) {
    const char* word = "speak";
    switch (behaviour) {
        case Behaviour::kSpeak:
            break;
        case Behaviour::kSilent:
            word = "silent";
            break;
        case Behaviour::kHang:
            word = "hang";
            break;
        case Behaviour::kCrash:
            word = "crash";
            break;
        case Behaviour::kFail:
            word = "fail";
            break;
        case Behaviour::kGarbage:
            word = "garbage";
            break;
        case Behaviour::kNoOutput:
            word = "nooutput";
            break;
    }
    WriteText(folder_ / "behaviour", word);
    std::error_code ec;
    std::filesystem::copy_file(ExecutableFolder() / "speech_stand_in.exe", folder_ / kProgramName,
                               std::filesystem::copy_options::skip_existing, ec);
}

}  // namespace kotar::test
