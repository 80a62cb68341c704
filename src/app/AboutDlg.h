// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/CancellableDialog.h"

namespace kotar {

// The version information box: program icon, title with " Version", the version compiled into
// the program (control 1127) and a description line.
class CAboutDlg : public CancellableDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QString version_text() const;
};

}  // namespace kotar
