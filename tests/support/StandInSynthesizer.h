// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WavBuilder.h"
#include "audio/SpeechSynthesizer.h"
#include "common/ProfileFile.h"
#include "common/Utf8Path.h"

namespace kotar::test {

// A program in place of the synthesizer, with a dictionary folder and a voice file of its own.
// It keeps the rate and the text it was given beside it, then does what its behaviour says:
// kSpeak writes a 16 kHz take (0.3 s of silence, 1 s of a tone, 0.3 s of silence).
class StandInSynthesizer {
public:
    enum class Behaviour { kSpeak, kSilent, kHang, kCrash, kFail, kGarbage, kNoOutput };

    explicit StandInSynthesizer(const std::filesystem::path& folder) : folder_(folder) {
        std::filesystem::create_directories(folder_ / "dic");
        WriteText(folder_ / "dic" / "sys.dic", "d");
        WriteText(folder_ / "voice.htsvoice", "v");
        WriteBytes(folder_ / "take.wav", Take(true));
        WriteBytes(folder_ / "silent.wav", Take(false));
        Set(Behaviour::kSpeak);
    }

    // Chooses what the next runs do (one source per system: a shell script here, the stand-in
    // program beside the test programs on Windows).
    void Set(Behaviour behaviour);

    SpeechSettings Settings(int timeout_seconds = 60) const {
        SpeechSettings settings;
        settings.program = Path(kProgramName);
        settings.dictionary = Path("dic");
        settings.voice = Path("voice.htsvoice");
        settings.timeout_seconds = timeout_seconds;
        return settings;
    }
    // Points the SPEECH section of an INI file at the stand-in.
    void WriteTo(ProfileFile& ini) const {
        ini.WriteString(kSpeechSection, "PROGRAM", Path(kProgramName));
        ini.WriteString(kSpeechSection, "DICTIONARY", Path("dic"));
        ini.WriteString(kSpeechSection, "VOICE", Path("voice.htsvoice"));
    }

    // What the last run was given ("" before any run).
    std::string SpokenText() const { return Kept("text"); }
    std::string Rate() const { return Kept("rate"); }

private:
    static const char* const kProgramName;
    std::string Path(const char* name) const { return PathToUtf8(folder_ / name); }
    std::string Kept(const char* name) const {
        return std::filesystem::exists(folder_ / name) ? ReadText(folder_ / name) : std::string();
    }
    static std::vector<std::uint8_t> Take(bool sound) {
        constexpr std::uint32_t kRate = 16000;
        std::vector<std::uint8_t> data;
        for (std::uint32_t i = 0; i < kRate * 16 / 10; ++i) {
            const bool on = sound && i >= kRate * 3 / 10 && i < kRate * 13 / 10;
            const auto v = static_cast<std::int16_t>(
                on ? std::lround(3000 * std::sin(2 * 3.14159265358979 * 440.0 * i / kRate)) : 0);
            data.push_back(static_cast<std::uint8_t>(v & 0xFF));
            data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        }
        return WavBuilder::Pcm(1, 1, kRate, 16, data);
    }

    std::filesystem::path folder_;
};

}  // namespace kotar::test
