// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

#include "audio/Endpoints.h"
#include "audio/SystemWaveDevice.h"
#include "audio/WaveDevice.h"

namespace kotar {

// The wave device on Qt Multimedia: capture and render streams on the sound server's default
// source and sink (found by name, since Qt lists the first device as its default), PCM as the
// buffer's format. Notifications are queued on this object's thread, the UI thread.
// Qt Multimedia is not touched until the endpoints know the device and the server has just
// answered: its sound-server backend blocks the calling thread for half a minute when it first
// meets a server that does not answer (and then lists no device for good), and for ever when
// it opens a stream on a server that has stopped answering.
// A process that used it ends through ExitWithoutLibraryTeardown (common/ProcessExit.h).
class QtWaveDevice : public QObject, public WaveDevice {
public:
    explicit QtWaveDevice(CachedEndpoints& endpoints = SystemEndpoints(), QObject* parent = nullptr)
        : QObject(parent), endpoints_(endpoints) {}

    std::unique_ptr<WaveStream> OpenInput(const WaveFormat& format,
                                          WaveListener& listener) override;
    std::unique_ptr<WaveStream> OpenOutput(const WaveFormat& format,
                                           WaveListener& listener) override;

private:
    CachedEndpoints& endpoints_;
};

}  // namespace kotar
