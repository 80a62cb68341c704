// SPDX-License-Identifier: GPL-3.0-or-later
// CSoundCtrl is the wave buffer of the phrase dialogs: it records, plays and edits one phrase
// through the wave device.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "audio/WaveDevice.h"
#include "audio/WaveFile.h"

namespace kotar {

// The wave buffer that is recorded into, played and edited. The editing operations work only
// on the block and its counters and never reallocate, so the capacity stays fixed.
//
// Recording, playback and the level monitor run on the wave device; the owner (a
// WaveListener) receives the device notifications and calls back into this class in the order
// of each cycle:
//   recording: OpenRecord; input open -> StartInput; StopRecord (or the buffer fills);
//              input data -> CloseRecord; input close -> FinishRecording.
//   playback:  OpenPlayback; output open -> Play; PausePlayback (or the end);
//              output done -> ClosePlayback; output close.
//   monitor:   OpenMonitor; input open -> StartInput; input data -> MonitorBufferDone;
//              CloseMonitor when done.
class CSoundCtrl : public CWaveFile {
public:
    // Every buffer of the level monitor: 100 ms of 8000 Hz mono 16-bit.
    static constexpr std::uint32_t kMonitorBytes = 1600;

    using CWaveFile::CWaveFile;
    explicit CSoundCtrl(const CWaveFile& buffer) : CWaveFile(buffer) {}
    // A copy duplicates the block; devices are not shared.
    CSoundCtrl(const CSoundCtrl& other) : CWaveFile(other), device_(other.device_) {}
    ~CSoundCtrl() override;

    // The device to use instead of the default one (tests).
    void set_wave_device(WaveDevice* device) { device_ = device; }

    // Recording into the whole block. 1 on success; 0 when there is no block or the device
    // cannot be opened (a partly opened device is closed again).
    int OpenRecord(WaveListener& owner);
    void StartInput();
    std::uint32_t RecordPosition() const;
    // length = bytes captured (never past capacity); the buffer comes back as done.
    void StopRecord();
    void CloseRecord();
    // After the input close: length rounded up past the next 2.5 ms block, never past
    // capacity.
    void FinishRecording();

    int OpenPlayback(WaveListener& owner);
    // Plays from offset (rounded down to even, at most length) to length.
    void Play(std::uint32_t offset);
    std::uint32_t PlayPosition() const;
    void PausePlayback();
    void ClosePlayback();
    std::uint32_t stopped_position() const { return stopped_position_; }

    // Level monitor: two alternating 100 ms capture buffers. 1 on success, 0 when the device
    // cannot be opened.
    int OpenMonitor(WaveListener& owner);
    // Requeues every returned monitor buffer; the peak of the last one, or 0 when none was
    // done.
    std::uint16_t MonitorBufferDone();
    // The largest absolute sample of a monitor buffer, 0 to 32768.
    std::uint16_t BufferPeak(int slot) const;
    void CloseMonitor();
    bool monitoring() const { return monitoring_; }

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

private:
    WaveDevice* device() const { return device_ != nullptr ? device_ : DefaultWaveDevice(); }
    static void SetHeader(WaveHeader& header, std::uint8_t* data, std::uint32_t length);

    WaveDevice* device_ = nullptr;
    std::array<std::unique_ptr<CWaveFile>, 2> monitor_buffers_;
    std::array<WaveHeader, 2> monitor_headers_;
    WaveHeader header_;
    std::unique_ptr<WaveStream> input_;
    std::unique_ptr<WaveStream> output_;
    bool monitoring_ = false;
    std::uint32_t stopped_position_ = 0;
    std::uint32_t play_start_offset_ = 0;
};

}  // namespace kotar
