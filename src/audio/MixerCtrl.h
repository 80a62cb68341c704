// SPDX-License-Identifier: GPL-3.0-or-later
// CMixerCtrl is the mixer base of the recording settings dialog; the sound server has no such
// mixer, so it is empty.
#pragma once

namespace kotar {

// The legacy mixer of the recording-settings dialog. What it found was never used, and the
// sound server offers no such mixer, so it holds nothing.
class CMixerCtrl {
public:
    CMixerCtrl() = default;
    CMixerCtrl(const CMixerCtrl&) = delete;
    CMixerCtrl& operator=(const CMixerCtrl&) = delete;
    virtual ~CMixerCtrl() = default;
};

}  // namespace kotar
