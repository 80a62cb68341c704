// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "ops/TransferSink.h"
#include "ui/UserInputDiscarder.h"

class QAbstractButton;
class QDialog;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace kotar {

// The state of a dialog while one transfer runs: user input is discarded application-wide, the
// dialog shows the busy cursor. On leaving, events queued meanwhile are processed (their input
// dropped) before input is accepted again, and the arrow cursor comes back.
// With a stop button, that button is enabled and focused for the transfer and is the one
// control whose clicks and keyboard activation pass; pressing it asks the transfer to stop.
class TransferScope {
public:
    explicit TransferScope(QWidget* dialog, QAbstractButton* stop_button = nullptr);
    ~TransferScope();
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

    // For the link environment of the transfer: true once the stop button was pressed.
    std::function<bool()> StopCheck() const {
        return [this] { return stop_requested_; };
    }

private:
    // Declared first: destroyed last, after the cursor is back and the stop button disabled.
    InputDiscardScope discard_input_;
    QPointer<QWidget> dialog_;
    QPointer<QAbstractButton> stop_button_;
    QMetaObject::Connection stop_connection_;
    bool stop_requested_ = false;
};

// The link's event pump for the desktop program: keeps the windows painted between the steps
// of an exchange.
std::function<void()> WindowEventPump();

// Shows a transfer's status in a read-only edit, repainted at once, and its progress in a bar.
class DialogTransferSink : public TransferSink {
public:
    DialogTransferSink(QLineEdit* status, QProgressBar* progress)
        : status_(status), progress_(progress) {}
    void SetStatus(const std::string& text) override;
    void SetProgressRange(int maximum) override;
    void SetProgress(int position) override;

private:
    QLineEdit* status_;
    QProgressBar* progress_;
};

}  // namespace kotar
