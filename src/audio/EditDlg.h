// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "audio/PhraseDialog.h"
#include "audio/WaveFile.h"
#include "common/ProfileFile.h"

namespace kotar {

// "編集": shows a phrase imported from a WAV file, lets the user cut parts of it, even its
// loudness and trim its silent ends (each change can be taken back), and saves it.
class CEditDlg : public PhraseDialog {
public:
    CEditDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini, AudioEndpoints& endpoints,
             const std::string& wav_path, const std::string& message_text, const CWaveFile& source,
             double max_seconds, int slot);

    // The longest phrase the dialog saves, in seconds.
    double max_seconds() const { return max_seconds_; }

    // Trims and evens the phrase as its buttons do, each a change to take back (a synthesized
    // phrase comes ready to write).
    void TrimAndEven();

    void accept() override;

protected:
    void SetButtons() override;
    // Message 105 about the edited phrase before it is thrown away.
    void Cancel() override;

private:
    void OnStop();
    void OnPause();

    std::string wav_path_;
    double max_seconds_;
};

}  // namespace kotar
