// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/RecDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "audio/LengthLimit.h"
#include "audio/PhraseEditControls.h"
#include "audio/WaveForm.h"
#include "common/Messages.h"
#include "ui/DialogLayout.h"
#include "ui/UserInputDiscarder.h"

namespace kotar {

CRecDlg::CRecDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini, AudioEndpoints& endpoints,
                 const std::string& wav_path, const std::string& message_text, double max_seconds,
                 int slot)
    : PhraseDialog(parent, prompter, endpoints, message_text, "録音"),
      ini_(ini),
      wav_path_(wav_path),
      max_seconds_(max_seconds) {
    (void)slot;  // handed over by the main window, not needed here
    const DialogUnits du(font());
    auto* ok = AddButton(du, 1, "OK", 254, 148);
    auto* cancel = AddButton(du, 2, "ｷｬﾝｾﾙ", 254, 166);
    ok->setDefault(true);
    auto* record = AddIconButton(du, 1027, "録音", TransportIcon::Record, 7, 148);
    auto* play = AddIconButton(du, 1029, "再生", TransportIcon::Play, 37, 148);
    auto* stop = AddIconButton(du, 1028, "停止", TransportIcon::Stop, 67, 148);
    auto* pause = AddIconButton(du, 1030, "一時停止", TransportIcon::Pause, 97, 148);

    // Slots 0-5 hold the pictures for 1, 2, 3, 4, 5 seconds left and an empty dial.
    for (int slot_index = 0; slot_index < 6; ++slot_index)
        bitmaps_[slot_index] = DrawCountdownBitmap(slot_index < 5 ? slot_index + 1 : 0);
    countdown_ = new QLabel(this);
    countdown_->setObjectName("1062");
    countdown_->setProperty("overlay", true);  // shown over the waveform on purpose
    countdown_->setGeometry(QRect(QPoint(164, 62), bitmaps_[0].size()));
    countdown_->hide();

    wait_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };

    connect(ok, &QPushButton::clicked, this, &CRecDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CRecDlg::reject);
    connect(record, &QPushButton::clicked, this, &CRecDlg::OnRecord);
    connect(play, &QPushButton::clicked, this, &CRecDlg::OnPlay);
    connect(stop, &QPushButton::clicked, this, &CRecDlg::OnStop);
    connect(pause, &QPushButton::clicked, this, &CRecDlg::OnPause);

    AttachView(new CWaveForm(this, prompter, kFormatPcm, 1, 8000, 16, 20'000), false);
    // The slot's maximum length, beside the message text and as a mark on the waveform.
    const std::string limit =
        CWaveForm::DurationText("最大： ", SecondsToMilliseconds(max_seconds) / 10);
    PlaceControl(new QLabel(QString::fromStdString(limit), this), du, 1063, 212, 7, 80, 10);
    view_->SetLengthLimit(max_seconds);
    AttachEditControls(ini, pause);
    countdown_->raise();
    Refresh();
}

void CRecDlg::SetButtons() {
    switch (state_) {
        case CWaveForm::kEmpty:
            Enable(
                {{1, false}, {2, true}, {1029, false}, {1027, true}, {1030, false}, {1028, false}});
            break;
        case CWaveForm::kRecording:
            Enable({{1, false},
                    {2, false},
                    {1029, false},
                    {1027, false},
                    {1030, false},
                    {1028, true}});
            break;
        case CWaveForm::kPlaying:
            Enable(
                {{1, false}, {2, false}, {1029, false}, {1027, false}, {1030, true}, {1028, true}});
            break;
        case CWaveForm::kPaused:
            Enable(
                {{1, false}, {2, false}, {1029, true}, {1027, false}, {1030, false}, {1028, true}});
            break;
        default:
            Enable({{1, true}, {2, true}, {1029, true}, {1027, true}, {1030, false}, {1028, true}});
            break;
    }
    edit_controls_->SetState(state_);
}

int CRecDlg::RecordDelaySeconds() const {
    const std::uint32_t delay = ini_.GetInt("CONFIG", "RECDELAY", 3);
    return delay > 5 ? 3 : static_cast<int>(delay);
}

void CRecDlg::OnRecord() {
    EndpointGuid jack{};
    if (!endpoints_.InputJackType(jack)) {
        prompter_.ShowMessage(kMsgNoRecordingDevice, MessageIcon::Error);
        return;
    }
    Enable({{1, false}, {2, false}, {1029, false}, {1027, false}, {1030, false}, {1028, false}});
    edit_controls_->SetState(CWaveForm::kRecording);
    countdown_shown_.clear();
    const int delay = RecordDelaySeconds();
    if (delay > 0) {
        // No input is handled during the countdown: clicks and keys made meanwhile are dropped
        // when the scope ends, before the recording starts.
        InputDiscardScope discard_input;
        countdown_->show();
        for (int n = delay; n >= 1; --n) {
            countdown_->setPixmap(bitmaps_[n - 1]);
            countdown_shown_.push_back(n);
            repaint();
            wait_(1000);
        }
        countdown_->hide();
    }
    state_ = view_->BeginRecording();
    SetButtons();
}

void CRecDlg::OnStop() {
    switch (state_) {
        case CWaveForm::kRecording:
            state_ = view_->EndRecording();  // buttons follow with "CTRL_MESSAGE"
            break;
        case CWaveForm::kPlaying:
            state_ = view_->EndPlayback();
            break;
        case CWaveForm::kPaused:
            state_ = view_->RewindCursor();
            SetButtons();
            break;
        default:
            break;
    }
}

void CRecDlg::OnPause() {
    state_ = view_->PausePlaying();  // buttons follow with "CTRL_MESSAGE"
}

void CRecDlg::accept() {
    if (view_ == nullptr || !Confirm(wav_path_, max_seconds_))
        return;
    DestroyView();
    QDialog::accept();
}

void CRecDlg::Cancel() {
    if (state_ == CWaveForm::kStopped && !AskDiscard())
        return;
    DestroyView();
    PhraseDialog::Cancel();
}

}  // namespace kotar
