// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "common/UserAbort.h"
#include "export/MkFile.h"

namespace kotar::fuzz {

void PhraseSourceTarget(Input input) {
    SilentPrompter prompter;
    const std::string path = WriteInput("phrase.wav", input).string();
    CMkFile builder;
    try {
        builder.LoadPhrase(path, kPhraseAreaBytes, kPhraseAreaBytes, prompter);
        const auto& image = builder.image();
        for (std::uint32_t i = 0; i < kPhraseAreaBytes; ++i)
            Require(image[i] == 0xFF, "nothing lands before the offset");
    } catch (const UserAbort&) {
    }
    try {
        builder.LoadPhrasePair(path, path, 0, kPhraseAreaBytes, kPhraseAreaBytes, 4096, prompter);
        const auto& image = builder.image();
        for (std::uint32_t i = kPhraseAreaBytes + 4096; i < kPhraseImageBytes; ++i)
            Require(image[i] == 0xFF, "nothing lands past the second phrase's room");
    } catch (const UserAbort&) {
    }
}

}  // namespace kotar::fuzz
