// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "audio/PhraseDialog.h"
#include "common/ProfileFile.h"

class QLabel;

namespace kotar {

// "録音": records a new phrase after a start countdown, lets the user cut, even and trim it
// (each change can be taken back) and saves it as the slot WAV file.
class CRecDlg : public PhraseDialog {
public:
    CRecDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini, AudioEndpoints& endpoints,
            const std::string& wav_path, const std::string& message_text, double max_seconds,
            int slot);

    // The longest phrase the dialog saves, in seconds.
    double max_seconds() const { return max_seconds_; }
    // How the countdown waits one second (tests replace the blocking wait).
    void set_countdown_wait(std::function<void(int ms)> wait) { wait_ = std::move(wait); }
    // The seconds shown by the countdown of the last recording, in order.
    const std::vector<int>& countdown_shown() const { return countdown_shown_; }
    // The drawn countdown picture of a slot (0 to 5).
    const QPixmap& countdown_bitmap(int slot) const { return bitmaps_[slot]; }

    void accept() override;

protected:
    void SetButtons() override;
    // Message 105 about a take before it is thrown away.
    void Cancel() override;

private:
    void OnRecord();
    void OnStop();
    void OnPause();
    int RecordDelaySeconds() const;

    ProfileFile& ini_;
    std::string wav_path_;
    double max_seconds_;
    std::array<QPixmap, 6> bitmaps_;
    QLabel* countdown_ = nullptr;
    std::function<void(int ms)> wait_;
    std::vector<int> countdown_shown_;
};

}  // namespace kotar
