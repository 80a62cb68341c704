// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>
#include <memory>
#include <vector>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/RecDlg.h"
#include "common/ProfileFile.h"

namespace kotar::test {

// What the phrase dialog tests share: a fake wave device as the default one, a folder with its
// MEVAN.INI, a scripted prompter and fake endpoints, fresh for every test function.
class PhraseDialogFixture {
protected:
    void StartFixture() {
        device_ = new FakeWaveDevice;
        SetDefaultWaveDevice(device_);
        dir_ = std::make_unique<TempDir>();
        ini_ = std::make_unique<ProfileFile>(*dir_ / "MEVAN.INI");
        prompter_.Clear();
        endpoints_ = FakeEndpoints{};
    }
    void StopFixture() {
        SetDefaultWaveDevice(nullptr);
        delete device_;
    }

    // A shown recording dialog for slot 1 ("テスト", 8.192 s) whose countdown does not wait.
    std::unique_ptr<CRecDlg> NewRecDlg(int delay) {
        ini_->WriteInt("CONFIG", "RECDELAY", delay);
        auto dlg = std::make_unique<CRecDlg>(nullptr, prompter_, *ini_, endpoints_,
                                             (*dir_ / "01.wav").string(), "テスト", 8.192, 0);
        dlg->set_countdown_wait([](int) {});
        dlg->show();
        return dlg;
    }
    // Records a take through the fake device and stops.
    void Record(CRecDlg& dlg, const std::vector<std::uint8_t>& take) {
        QVERIFY(Click(&dlg, 1027));
        device_->Deliver();
        device_->Capture(take);
        QVERIFY(Click(&dlg, 1028));
        device_->Deliver();
    }
    void Record(CRecDlg& dlg, std::uint32_t silence_bytes) {
        Record(dlg, std::vector<std::uint8_t>(silence_bytes, 0));
    }

    FakeWaveDevice* device_ = nullptr;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ProfileFile> ini_;
    ScriptedPrompter prompter_;
    FakeEndpoints endpoints_;
};

}  // namespace kotar::test
