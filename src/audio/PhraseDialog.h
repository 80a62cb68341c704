// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "audio/AudioIcons.h"
#include "audio/Endpoints.h"
#include "common/Prompter.h"
#include "ui/CancellableDialog.h"

class QLineEdit;
class QPushButton;

namespace kotar {

class CWaveForm;
class DialogUnits;
class PhraseEditControls;
class ProfileFile;

// What the recording, editing and playback dialogs share: the message text, the waveform view
// (405 x 150 pixels) below it, the transport buttons and the confirm step. The +/- keys zoom
// the view.
class PhraseDialog : public CancellableDialog {
public:
    CWaveForm* view() const { return view_; }
    int state() const { return state_; }

protected:
    PhraseDialog(QWidget* parent, Prompter& prompter, AudioEndpoints& endpoints,
                 const std::string& message_text, const char* title);

    QPushButton* AddButton(const DialogUnits& du, int id, const char* text, int x, int y);
    QPushButton* AddIconButton(const DialogUnits& du, int id, const char* text, TransportIcon icon,
                               int x, int y);
    // Places the view below the message text and connects its "CTRL_MESSAGE"; the buttons move
    // down below its fields when they would lie on them.
    void AttachView(CWaveForm* view, bool compact);
    // Moves the buttons down (and the bottom of the dialog with them) so that they begin below
    // pixel row y.
    void KeepButtonsBelow(int y);
    // The level, loudness, trim and undo controls of the editing dialogs, in rows below the
    // view's fields and beside the pause button; the buttons move below them.
    void AttachEditControls(ProfileFile& ini, const QPushButton* pause);
    void DestroyView();
    // Enables the buttons by id.
    void Enable(std::initializer_list<std::pair<int, bool>> table);
    // Re-reads the view's state and sets the buttons.
    void Refresh();
    virtual void SetButtons() = 0;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Play: only with a render device (message 130 otherwise).
    void OnPlay();
    // The length limit, message 133 when too long, then the save; false when the dialog stays.
    bool Confirm(const std::string& wav_path, double max_seconds);
    // Message 105 before a take is thrown away; true when the dialog may close.
    bool AskDiscard();

    Prompter& prompter_;
    AudioEndpoints& endpoints_;
    CWaveForm* view_ = nullptr;
    PhraseEditControls* edit_controls_ = nullptr;  // only in the editing dialogs
    int state_ = 0;
    QLineEdit* text_ = nullptr;
    std::string message_text_;
    bool forward_mouse_ = true;  // the playback dialog forwards nothing

private:
    std::vector<QPushButton*> buttons_;
};

}  // namespace kotar
