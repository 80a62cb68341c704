// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "audio/Endpoints.h"
#include "audio/WaveDevice.h"

namespace kotar {

// The wave device of the system the program runs on; it opens a stream only on a device that
// the endpoints show. Its notifications are delivered on the thread that creates it. Each
// platform's backend defines it.
std::unique_ptr<WaveDevice> MakeSystemWaveDevice(CachedEndpoints& endpoints = SystemEndpoints());

}  // namespace kotar
