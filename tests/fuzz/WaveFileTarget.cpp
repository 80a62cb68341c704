// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "audio/WaveFile.h"
#include "common/UserAbort.h"

namespace kotar::fuzz {
namespace {

bool SameFormat(const WaveFormat& a, const WaveFormat& b) {
    return a.format_tag == b.format_tag && a.channels == b.channels &&
           a.samples_per_sec == b.samples_per_sec && a.avg_bytes_per_sec == b.avg_bytes_per_sec &&
           a.block_align == b.block_align && a.bits_per_sample == b.bits_per_sample &&
           a.cb_size == b.cb_size;
}

// The attribute text of a file that holds one, or nothing.
std::optional<std::string> ReadAttribute(const std::string& path, Prompter& prompter) {
    try {
        return CWaveFile(path, CWaveFile::kAttributeMode, prompter).AttributeText();
    } catch (const UserAbort&) {
        return std::nullopt;
    }
}

}  // namespace

void WaveFileTarget(Input input) {
    SilentPrompter prompter;
    const std::string path = WriteInput("input.wav", input).string();
    const std::string copy = (ScratchFolder() / "copy.wav").string();
    try {
        const CWaveFile wave(path, CWaveFile::kAudioMode, prompter);
        Require(wave.length() == wave.capacity() && wave.length() <= kMaxAudioDataBytes,
                "audio mode holds the whole data chunk");
        Require(wave.length() <= input.size(), "the sound is no longer than the file");
        // What is saved reads back the same.
        Require(wave.Save(copy, "", CWaveFile::Durability::kScratch) == 1, "saved");
        const CWaveFile again(copy, CWaveFile::kAudioMode, prompter);
        Require(SameFormat(wave.format(), again.format()), "the format reads back");
        Require(
            again.length() == wave.length() &&
                (wave.length() == 0 || std::memcmp(again.data(), wave.data(), wave.length()) == 0),
            "the sound reads back");
    } catch (const UserAbort&) {
    }
    // A text read, saved and read again settles after one round: bytes that are no cp932
    // become U+FFFD and are saved as '?', everything else keeps its meaning.
    const std::optional<std::string> text = ReadAttribute(path, prompter);
    if (!text)
        return;
    CWaveFile holder;
    holder.SetFormat(kFormatPcm, 1, 8000, 16);
    Require(holder.Save(copy, *text, CWaveFile::Durability::kScratch) == 1, "text saved");
    const std::optional<std::string> once = ReadAttribute(copy, prompter);
    Require(once.has_value() || text->empty(), "a saved text reads back");
    if (!once)
        return;
    Require(holder.Save(copy, *once, CWaveFile::Durability::kScratch) == 1, "text saved again");
    Require(ReadAttribute(copy, prompter) == once, "the text settles after one round");
}

}  // namespace kotar::fuzz
