// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "audio/ImportChain.h"
#include "common/UserAbort.h"

namespace kotar::fuzz {

void ImportChainTarget(Input input) {
    SilentPrompter prompter;
    const std::string path = WriteInput("import.wav", input).string();
    try {
        const auto wave = RunImportChain(path, prompter);
        Require(wave != nullptr, "an import that does not fail gives a wave");
        const WaveFormat& format = wave->format();
        Require(format.format_tag == kFormatPcm && format.channels == 1 &&
                    format.samples_per_sec == 8000 && format.bits_per_sample == 16,
                "an import gives the recording format");
        Require(wave->length() <= wave->capacity() && wave->length() % 2 == 0,
                "whole 16-bit samples within the block");
    } catch (const UserAbort&) {
    }
}

}  // namespace kotar::fuzz
