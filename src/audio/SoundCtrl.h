#pragma once

#include <cstdint>

#include "audio/WaveFile.h"

namespace kotar {

// The wave buffer that is recorded into, played and edited. The editing operations work only
// on the block and its counters and never reallocate, so the capacity stays fixed.
class CSoundCtrl : public CWaveFile {
public:
    using CWaveFile::CWaveFile;
    explicit CSoundCtrl(const CWaveFile& buffer) : CWaveFile(buffer) {}

    // Removes the bytes between two offsets (rounded down to even; end at most length), fills
    // silence behind the moved sound and rounds the new length up past the next 2.5 ms block
    // boundary, never past capacity.
    void DeleteRange(std::uint32_t start, std::uint32_t end);
    // Silence from new_length to the end of the block; length = new_length (at most capacity).
    std::uint32_t TruncateAt(std::uint32_t new_length);
    // Silence from offset to capacity. 0 when there is no block.
    int FillSilenceFrom(std::uint32_t offset);
    // Silence over the whole block. 0 when there is no block.
    int ClearAll();

    // Recording and playback on the wave device are added here with the device seam.
};

}  // namespace kotar
