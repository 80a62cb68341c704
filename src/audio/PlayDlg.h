// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "audio/PhraseDialog.h"

namespace kotar {

// "再生": plays a saved phrase; the compact form (for read-back phrases) draws no waveform.
class CPlayDlg : public PhraseDialog {
public:
    // A file that cannot be read shows message 110; the dialog then has no view and
    // exec() returns at once.
    CPlayDlg(QWidget* parent, Prompter& prompter, AudioEndpoints& endpoints,
             const std::string& wav_path, const std::string& message_text, bool compact);

    int exec() override;

protected:
    void SetButtons() override;

private:
    void OnStop();
    void OnPause();
};

}  // namespace kotar
