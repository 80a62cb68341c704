// Speech synthesis is offered on Debian, where the synthesizer and its voice are packages; the
// Windows build reports it as not available.
#include "audio/SpeechSynthesizer.h"

namespace kotar {

SynthesisOutcome RunSynthesizer(const std::string&, const SpeechSettings&,
                                const std::filesystem::path&, const CancelCheck&) {
    return {false, false, "この環境では音声合成を使えません。"};
}

}  // namespace kotar
