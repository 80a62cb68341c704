// SPDX-License-Identifier: GPL-3.0-or-later
// CPeakDlg is the recording settings dialog: input source, level meter, recording volume and
// start delay.
#pragma once

#include <QTimer>
#include <string>

#include "audio/Endpoints.h"
#include "audio/MixerCtrl.h"
#include "audio/SoundCtrl.h"
#include "common/ProfileFile.h"
#include "ui/CancellableDialog.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QSlider;

namespace kotar {

class CMeter;

// "録音設定": which input records (microphone or line), a live level meter, the recording
// volume and the start delay of the recording dialog.
class CPeakDlg : public CancellableDialog, public CMixerCtrl, public WaveListener {
public:
    static constexpr int kTickMs = 500;

    CPeakDlg(QWidget* parent, ProfileFile& ini, AudioEndpoints& endpoints);
    ~CPeakDlg() override;

    // One 500 ms tick (public for tests).
    void Tick();

    CSoundCtrl& sound() { return sound_; }
    CMeter* meter() const { return meter_; }
    bool monitoring() const { return monitoring_; }

    // The three source-state texts.
    static const char* const kLineText;
    static const char* const kMicrophoneText;
    static const char* const kNoSourceText;

protected:
    // The dialog has no cancel: the close box, Alt+F4 and Escape do what "閉じる" does.
    void Cancel() override;
    void OnInputOpen() override;
    void OnInputData(WaveHeader& header) override;

private:
    void UpdateSourceText();
    void SetSlider(int position);
    void OnClose();

    ProfileFile& ini_;
    AudioEndpoints& endpoints_;
    CSoundCtrl sound_;
    QLineEdit* source_text_ = nullptr;
    QFrame* frame_ = nullptr;
    QSlider* slider_ = nullptr;
    QComboBox* delay_ = nullptr;
    CMeter* meter_ = nullptr;
    bool monitoring_ = false;
    QTimer timer_;
};

}  // namespace kotar
