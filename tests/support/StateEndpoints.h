// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include "audio/Endpoints.h"

namespace kotar::test {

// Endpoints whose state the test sets, as a backend's thread does.
class StateEndpoints : public CachedEndpoints {
public:
    void Set(EndpointState state) { Publish(std::move(state)); }
    bool SetVolume(float) override { return false; }
};

}  // namespace kotar::test
