// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "common/Prompter.h"
#include "ui/CancellableDialog.h"

class QLineEdit;
class QPushButton;

namespace kotar {

// "作業フォルダ選択": the work folder, typed or picked in the folder browser, checked before it
// is accepted.
class CSetWorkDlg : public CancellableDialog {
public:
    explicit CSetWorkDlg(Prompter& prompter, QWidget* parent = nullptr);

    void SetPath(const std::string& path);
    // The accepted path (after OK).
    std::string path() const;

    void accept() override;

private:
    void OnPathEdited();
    void OnBrowse();

    Prompter& prompter_;
    QLineEdit* path_edit_;
    QPushButton* browse_button_;
    QPushButton* ok_button_;
};

}  // namespace kotar
