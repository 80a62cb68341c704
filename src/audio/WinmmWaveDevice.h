// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

#include "audio/Endpoints.h"
#include "audio/WaveDevice.h"

namespace kotar {

// The wave device on the waveform-audio functions of winmm: capture and render streams on the
// default devices (the wave mapper), PCM as the buffer's format. winmm reports on a thread of
// its own; the notifications are queued on this object's thread, the UI thread. The device
// outlives its streams. A stream is opened only when the endpoints, freshly asked, show the
// default device it needs.
class WinmmWaveDevice : public QObject, public WaveDevice {
public:
    explicit WinmmWaveDevice(CachedEndpoints& endpoints = SystemEndpoints(),
                             QObject* parent = nullptr)
        : QObject(parent), endpoints_(endpoints) {}

    std::unique_ptr<WaveStream> OpenInput(const WaveFormat& format,
                                          WaveListener& listener) override;
    std::unique_ptr<WaveStream> OpenOutput(const WaveFormat& format,
                                           WaveListener& listener) override;

private:
    CachedEndpoints& endpoints_;
};

}  // namespace kotar
