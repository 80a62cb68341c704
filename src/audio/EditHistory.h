// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/SoundCtrl.h"

namespace kotar {

// The changes made to one phrase in a dialog session, to be taken back and made again without
// limit. A record keeps only what its change removed or overwrote: a cut its removed bytes,
// trimming the two removed ends, a gain the samples before it (rounding and limiting make a gain
// impossible to invert by arithmetic). Redoing repeats the operation, which gives the same bytes
// again. So a cut of a long import costs the cut, not another copy of the phrase.
// Taking a change back restores the sound byte for byte, with silence behind it.
class EditHistory {
public:
    explicit EditHistory(CSoundCtrl& phrase) : phrase_(phrase) {}

    // Each makes its change and records it; a new change drops what could be redone. False,
    // with nothing recorded, when the phrase stayed as it was.
    bool DeleteRange(std::uint32_t start, std::uint32_t end);
    bool EvenLoudness(double target_lufs);
    bool TrimSilence();

    bool Undo();
    bool Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void Clear();

    // Bytes of sound the records hold.
    std::size_t stored_bytes() const;

private:
    enum class Kind { kCut, kTrim, kGain };
    struct Record {
        Kind kind = Kind::kCut;
        std::uint32_t start = 0;  // cut: the removed range; trim: the kept span
        std::uint32_t end = 0;
        std::uint32_t old_length = 0;
        double gain = 1.0;
        std::vector<std::uint8_t> first;   // cut: removed bytes; trim: head; gain: old samples
        std::vector<std::uint8_t> second;  // trim: tail
    };

    std::uint32_t Length() const;
    void Push(Record record);
    void Restore(const Record& record);
    void Repeat(const Record& record);
    static void MoveLast(std::vector<Record>& from, std::vector<Record>& to);

    CSoundCtrl& phrase_;
    std::vector<Record> undo_;
    std::vector<Record> redo_;
};

}  // namespace kotar
