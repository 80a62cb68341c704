// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PlayDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "audio/WaveForm.h"
#include "common/UserAbort.h"
#include "ui/DialogLayout.h"

namespace kotar {

CPlayDlg::CPlayDlg(QWidget* parent, Prompter& prompter, AudioEndpoints& endpoints,
                   const std::string& wav_path, const std::string& message_text, bool compact)
    : PhraseDialog(parent, prompter, endpoints, message_text, "再生") {
    forward_mouse_ = false;
    const DialogUnits du(font());
    auto* ok = AddButton(du, 1, "OK", 254, 148);
    ok->setDefault(true);
    auto* play = AddIconButton(du, 1031, "再生", TransportIcon::Play, 7, 148);
    auto* stop = AddIconButton(du, 1032, "停止", TransportIcon::Stop, 37, 148);
    auto* pause = AddIconButton(du, 1033, "一時停止", TransportIcon::Pause, 67, 148);
    // The cancel command without a visible button.
    auto* hidden = AddButton(du, 2, "Button1", 200, 166);
    hidden->hide();
    connect(ok, &QPushButton::clicked, this, &CPlayDlg::accept);
    connect(hidden, &QPushButton::clicked, this, &CPlayDlg::reject);
    connect(play, &QPushButton::clicked, this, &CPlayDlg::OnPlay);
    connect(stop, &QPushButton::clicked, this, &CPlayDlg::OnStop);
    connect(pause, &QPushButton::clicked, this, &CPlayDlg::OnPause);

    try {
        AttachView(new CWaveForm(this, prompter, wav_path), compact);
    } catch (const UserAbort&) {
        view_ = nullptr;  // message 110 has been shown
    }
    if (compact) {
        play->move(7, 100);
        stop->move(57, 100);
        pause->move(107, 100);
        ok->move(240, 10);
        setFixedSize(350, 180);
        text_->resize(225, text_->height());
    }
    Refresh();
}

int CPlayDlg::exec() {
    if (view_ == nullptr)
        return QDialog::Rejected;
    return QDialog::exec();
}

void CPlayDlg::SetButtons() {
    switch (state_) {
        case CWaveForm::kPlaying:
            Enable({{1, false}, {2, false}, {1031, false}, {1033, true}, {1032, true}});
            break;
        case CWaveForm::kPaused:
            Enable({{1, false}, {2, true}, {1031, true}, {1033, false}, {1032, true}});
            break;
        case CWaveForm::kStopped:
            Enable({{1, true}, {2, true}, {1031, true}, {1033, false}, {1032, true}});
            break;
        default:
            Enable({{2, false}, {1031, true}, {1033, false}, {1032, false}});
            break;
    }
}

void CPlayDlg::OnStop() {
    if (state_ == CWaveForm::kPlaying) {
        state_ = view_->EndPlayback();
    } else if (state_ == CWaveForm::kPaused) {
        state_ = view_->RewindCursor();
        SetButtons();
    }
}

void CPlayDlg::OnPause() {
    state_ = view_->PausePlaying();
    SetButtons();
}

}  // namespace kotar
