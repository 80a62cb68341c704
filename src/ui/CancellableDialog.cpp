// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CancellableDialog.h"

#include <QAbstractButton>

namespace kotar {

void CancellableDialog::reject() {
    if (CancelAllowed())
        Cancel();
}

bool CancellableDialog::CancelAllowed() const {
    const QAbstractButton* cancel = CancelButton();
    return cancel == nullptr || cancel->isEnabled();
}

void CancellableDialog::Cancel() {
    QDialog::reject();
}

QAbstractButton* CancellableDialog::CancelButton() const {
    // A dialog opened over this one is a child too; its buttons are not this dialog's.
    for (QAbstractButton* button : findChildren<QAbstractButton*>(QStringLiteral("2"))) {
        if (button->window() == this)
            return button;
    }
    return nullptr;
}

}  // namespace kotar
