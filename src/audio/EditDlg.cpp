// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/EditDlg.h"

#include <QPushButton>

#include "audio/PhraseEditControls.h"
#include "audio/WaveForm.h"
#include "ui/DialogLayout.h"

namespace kotar {

CEditDlg::CEditDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini, AudioEndpoints& endpoints,
                   const std::string& wav_path, const std::string& message_text,
                   const CWaveFile& source, double max_seconds, int slot)
    : PhraseDialog(parent, prompter, endpoints, message_text, "編集"),
      wav_path_(wav_path),
      max_seconds_(max_seconds) {
    (void)slot;  // handed over by the main window, not needed here
    const DialogUnits du(font());
    auto* ok = AddButton(du, 1, "OK", 254, 148);
    auto* cancel = AddButton(du, 2, "ｷｬﾝｾﾙ", 254, 166);
    ok->setDefault(true);
    auto* play = AddIconButton(du, 1037, "再生", TransportIcon::Play, 7, 148);
    auto* stop = AddIconButton(du, 1038, "停止", TransportIcon::Stop, 37, 148);
    auto* pause = AddIconButton(du, 1039, "一時停止", TransportIcon::Pause, 67, 148);
    connect(ok, &QPushButton::clicked, this, &CEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CEditDlg::reject);
    connect(play, &QPushButton::clicked, this, &CEditDlg::OnPlay);
    connect(stop, &QPushButton::clicked, this, &CEditDlg::OnStop);
    connect(pause, &QPushButton::clicked, this, &CEditDlg::OnPause);

    AttachView(new CWaveForm(this, prompter, source), false);
    AttachEditControls(ini, pause);
    Refresh();
}

void CEditDlg::SetButtons() {
    switch (state_) {
        case CWaveForm::kPlaying:
            Enable({{1, false}, {2, false}, {1037, false}, {1039, true}, {1038, true}});
            break;
        case CWaveForm::kPaused:
            Enable({{1, false}, {2, false}, {1037, true}, {1039, false}, {1038, true}});
            break;
        case CWaveForm::kStopped:
            Enable({{1, true}, {2, true}, {1037, true}, {1039, false}, {1038, true}});
            break;
        default:
            Enable({{1037, true}, {1039, false}, {1038, false}});
            break;
    }
    edit_controls_->SetState(state_);
}

void CEditDlg::TrimAndEven() {
    edit_controls_->TrimAndEven();
}

void CEditDlg::OnStop() {
    if (state_ == CWaveForm::kPlaying) {
        state_ = view_->EndPlayback();  // buttons follow with "CTRL_MESSAGE"
    } else if (state_ == CWaveForm::kPaused) {
        state_ = view_->RewindCursor();
        SetButtons();
    }
}

void CEditDlg::OnPause() {
    state_ = view_->PausePlaying();
    SetButtons();
}

void CEditDlg::accept() {
    if (view_ == nullptr || !Confirm(wav_path_, max_seconds_))
        return;
    DestroyView();
    QDialog::accept();
}

void CEditDlg::Cancel() {
    if ((state_ == CWaveForm::kPaused || state_ == CWaveForm::kStopped) && !AskDiscard())
        return;
    DestroyView();
    PhraseDialog::Cancel();
}

}  // namespace kotar
