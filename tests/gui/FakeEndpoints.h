// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "audio/Endpoints.h"

namespace kotar::test {

// Audio endpoints for dialog tests: a plugged microphone and a render device unless a test
// changes the fields; volume changes are recorded.
class FakeEndpoints : public AudioEndpoints {
public:
    bool InputJackType(EndpointGuid& guid) override {
        if (!jack)
            return false;
        guid = line ? kLineConnectorGuid : kMicrophoneGuid;
        return true;
    }
    bool OutputDeviceExists() override { return output; }
    bool InputVolume(float& v) override {
        v = volume;
        return jack;
    }
    bool SetVolume(float v) override {
        set_volumes.push_back(v);
        return true;
    }

    bool jack = true;
    bool line = false;
    bool output = true;
    float volume = 0.5f;
    std::vector<float> set_volumes;
};

}  // namespace kotar::test
