// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>

namespace kotar {

// Drops every mouse, keyboard, wheel and touch event of the application while it is installed,
// so that input made while the user-interface thread is busy reaches no control.
class UserInputDiscarder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
    static bool IsUserInput(int event_type);
    // Lets the mouse clicks on one button and its activation from the keyboard through.
    void PassButton(QAbstractButton* button) { pass_button_ = button; }

private:
    // The event as the button itself receives it.
    bool ActivatesPassButton(QObject* watched, QEvent* event) const;
    // The event as the window system delivers it to the button's window, before the window
    // hands it to the control under the pointer or with the focus.
    bool ReachesPassButton(QObject* watched, QEvent* event) const;

    QPointer<QAbstractButton> pass_button_;
};

// Discards user input application-wide for its lifetime. On leaving, the events queued meanwhile
// are processed with the discarder still installed, so that input made during a blocking step
// is dropped instead of acting once the step is over; other events (paints, timers) go through.
class InputDiscardScope {
public:
    // pass_button: the one button whose clicks and keyboard activation still pass (may be
    // null).
    explicit InputDiscardScope(QAbstractButton* pass_button = nullptr);
    ~InputDiscardScope();
    InputDiscardScope(const InputDiscardScope&) = delete;
    InputDiscardScope& operator=(const InputDiscardScope&) = delete;

private:
    UserInputDiscarder discarder_;
};

}  // namespace kotar
