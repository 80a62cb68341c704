#pragma once

#include <memory>

#include "audio/Endpoints.h"
#include "audio/WaveDevice.h"

namespace kotar {

// The wave device of the system the program runs on; it opens a stream only on a device that
// the endpoints show. Its notifications are delivered on the thread that creates it. Each
// platform's backend defines it.
std::unique_ptr<WaveDevice> MakeSystemWaveDevice(CachedEndpoints& endpoints = SystemEndpoints());

// Ends a process that used the system's wave device, once everything of its own is closed,
// without the exit-time teardown of the libraries: Qt Multimedia's PulseAudio engine (Qt 6.4)
// releases its server connection at exit while its own thread may still dispatch a reply, which
// then aborts the process inside libpulse. Standard output is flushed first.
[[noreturn]] void ExitWithoutLibraryTeardown(int code);

}  // namespace kotar
