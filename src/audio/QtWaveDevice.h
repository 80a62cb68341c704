#pragma once

#include <QObject>
#include <memory>

#include "audio/WaveDevice.h"

namespace kotar {

// The wave device on Qt Multimedia: capture and render streams on the sound server's default
// source and sink (found by name, since Qt lists the first device as its default), PCM as the
// buffer's format. Notifications are queued on this object's thread, the UI thread.
class QtWaveDevice : public QObject, public WaveDevice {
public:
    explicit QtWaveDevice(QObject* parent = nullptr) : QObject(parent) {}

    std::unique_ptr<WaveStream> OpenInput(const WaveFormat& format,
                                          WaveListener& listener) override;
    std::unique_ptr<WaveStream> OpenOutput(const WaveFormat& format,
                                           WaveListener& listener) override;
};

}  // namespace kotar
