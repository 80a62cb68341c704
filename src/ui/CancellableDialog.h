// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QAbstractButton;

namespace kotar {

// A dialog whose ways of cancelling all end in its own cancel: its cancel button (id 2), Escape
// and a close request from the window system (the title bar's close box, or Alt+F4 under a
// window manager, which QDialog turns into reject()). While the dialog has disabled its cancel
// button - it records, plays back a take, counts down or transfers - each of them does nothing,
// so that a request delivered in the middle of such a step never tears the dialog down under it.
class CancellableDialog : public QDialog {
public:
    using QDialog::QDialog;

    void reject() final;
    // True when a cancel may act now: the dialog has no cancel button, or it is enabled.
    bool CancelAllowed() const;

protected:
    // The dialog's cancel in its current state; closes with Cancel unless a dialog asks first.
    virtual void Cancel();

private:
    QAbstractButton* CancelButton() const;
};

}  // namespace kotar
