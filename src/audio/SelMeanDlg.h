// SPDX-License-Identifier: GPL-3.0-or-later
// CSelMeanDlg is the creation method dialog: a phrase from an existing WAV file, a new
// recording or speech synthesized from text.
#pragma once

#include <string>

#include "ui/CancellableDialog.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kotar {

// "作成方法選択": whether a phrase is taken from an existing WAV file, recorded anew or
// synthesized from text, or (when the slot holds one) the current phrase is edited.
class CSelMeanDlg : public CancellableDialog {
public:
    enum Method : int { kNone = 0, kFromFile = 1, kRecord = 2, kSpeech = 3, kEditCurrent = 4 };

    CSelMeanDlg(QWidget* parent, const std::string& message_text, bool holds_phrase = false);

    int method() const { return method_; }

private:
    void OnTextChanged();
    void Choose(Method method);

    int method_ = kNone;
    QLineEdit* text_ = nullptr;
    QPushButton* ok_ = nullptr;
    QRadioButton* from_file_ = nullptr;
    QRadioButton* record_ = nullptr;
    QRadioButton* speech_ = nullptr;
    QRadioButton* edit_current_ = nullptr;
    bool holds_phrase_ = false;
};

}  // namespace kotar
