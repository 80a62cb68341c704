// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no pseudo-terminals: tests of a Windows build that need the device behind a port
// talk to the simulator of the build machine instead (scripts/test-windows.sh). This front only
// says so, so that the dialog tests' in-process device still links.
#include "PtyDevice.h"

#include <utility>

namespace kotar::devsim {

PtyDevice::PtyDevice(DeviceModel& model, Options options)
    : model_(model), options_(std::move(options)) {}

PtyDevice::~PtyDevice() = default;

bool PtyDevice::Open(std::string* error) {
    if (error != nullptr)
        *error = "pseudo-terminals are not available on Windows";
    return false;
}

void PtyDevice::Run(const std::atomic<bool>&) {}

std::string PtyDevice::TurnaroundSummary() const {
    return {};
}

}  // namespace kotar::devsim
