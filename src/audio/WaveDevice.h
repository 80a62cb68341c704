// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "audio/WaveFile.h"

namespace kotar {

// A buffer handed to a capture or render stream (the wave header of the buffer).
struct WaveHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t buffer_length = 0;
    std::uint32_t bytes_recorded = 0;
    bool done = false;  // set by the stream when it returns the buffer
};

// The owner of a sound buffer receives the six notifications of its streams, always later
// on the user-interface thread, never from inside the call that caused them, in this order
// per stream: open, then data/done for every returned buffer, then close.
class WaveListener {
public:
    virtual ~WaveListener() = default;

    virtual void OnInputOpen() {}
    virtual void OnInputData(WaveHeader& header) { (void)header; }
    virtual void OnInputClose() {}
    virtual void OnOutputOpen() {}
    virtual void OnOutputDone(WaveHeader& header) { (void)header; }
    virtual void OnOutputClose() {}

    // Backends keep a weak reference to this token and drop notifications of a destroyed
    // owner.
    std::weak_ptr<int> LifeToken() const { return life_; }

protected:
    // Called first in an owner's destructor: from then on nothing is delivered to it, even
    // while its streams are being torn down.
    void StopListening() { life_.reset(); }

private:
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

// One open capture or render stream on the default device. Destroying a stream that was not
// closed drops it quietly (no further notification); after Close() its pending notifications,
// the close notification last, are still delivered.
class WaveStream {
public:
    virtual ~WaveStream() = default;

    // Capture: queue a buffer to be filled. Render: play the buffer.
    virtual bool AddBuffer(WaveHeader& header) = 0;
    // Capture: start filling the queued buffers.
    virtual void Start() = 0;
    // Capture: bytes captured since the start. Render: bytes of the current buffer played.
    virtual std::uint32_t Position() const = 0;
    // Render: hold playback.
    virtual void Pause() = 0;
    // Stops and returns every queued buffer as done (data/done notifications follow).
    virtual void Reset() = 0;
    // Releases the device; the close notification follows. The stream forgets its buffers.
    virtual void Close() = 0;
};

// The default capture and render devices. Open returns null when the device cannot be
// opened with the format.
class WaveDevice {
public:
    virtual ~WaveDevice() = default;

    virtual std::unique_ptr<WaveStream> OpenInput(const WaveFormat& format,
                                                  WaveListener& listener) = 0;
    virtual std::unique_ptr<WaveStream> OpenOutput(const WaveFormat& format,
                                                   WaveListener& listener) = 0;
};

// The device that sound buffers use unless they are given their own; null until the program
// (or a test) installs one.
WaveDevice* DefaultWaveDevice();
void SetDefaultWaveDevice(WaveDevice* device);

}  // namespace kotar
