#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "ops/TransferSink.h"

class QDialog;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace kotar {

// Drops every mouse, keyboard, wheel and touch event of the application while it is installed,
// so that input made during a transfer reaches no control.
class UserInputDiscarder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
    static bool IsUserInput(int event_type);
};

// The state of a dialog while one transfer runs: user input is discarded application-wide, the
// dialog shows the busy cursor. On leaving, events queued meanwhile are processed (their input
// dropped) before input is accepted again, and the arrow cursor comes back.
class TransferScope {
public:
    explicit TransferScope(QWidget* dialog);
    ~TransferScope();
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

private:
    QPointer<QWidget> dialog_;
    UserInputDiscarder discarder_;
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
