// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UserInputDiscarder.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace kotar {
namespace {

// The keys with which a focused push button is pressed (it acts on their release).
bool IsPressKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Select;
}

// The keys with which a dialog's focused button is activated at once.
bool IsActivationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

bool UserInputDiscarder::IsUserInput(int event_type) {
    switch (static_cast<QEvent::Type>(event_type)) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

bool UserInputDiscarder::ActivatesPassButton(QObject* watched, QEvent* event) const {
    if (pass_button_ == nullptr || watched != pass_button_.data())
        return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return IsPressKey(static_cast<QKeyEvent*>(event)->key());
        default:
            return false;
    }
}

bool UserInputDiscarder::ReachesPassButton(QObject* watched, QEvent* event) const {
    if (pass_button_ == nullptr || !pass_button_->isEnabled())
        return false;
    QWidget* top = pass_button_->window();
    auto* window = qobject_cast<QWindow*>(watched);
    if (window == nullptr || window != top->windowHandle())
        return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            // The window gives the press to the control under the pointer; it must be the
            // button. The release goes to the control that took the press: a button pressed
            // and then left must get its release, or it stays down.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (event->type() == QEvent::MouseButtonRelease && pass_button_->isDown())
                return true;
            return top->childAt(mouse->position().toPoint()) == pass_button_.data();
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // The window gives keys to the control with the focus.
            const int key = static_cast<QKeyEvent*>(event)->key();
            return window->focusObject() == pass_button_.data() &&
                   (IsPressKey(key) || IsActivationKey(key));
        }
        default:
            return false;
    }
}

bool UserInputDiscarder::eventFilter(QObject* watched, QEvent* event) {
    if (!IsUserInput(event->type()))
        return QObject::eventFilter(watched, event);
    if (ActivatesPassButton(watched, event) || ReachesPassButton(watched, event))
        return false;
    if (event->type() == QEvent::KeyPress && pass_button_ != nullptr &&
        watched == pass_button_.data() && IsActivationKey(static_cast<QKeyEvent*>(event)->key()) &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        // A push button that is not its dialog's default button ignores Enter, and the dialog
        // under it takes no input now: the button is clicked here, as a focused button is in a
        // dialog of the platform.
        event->accept();
        pass_button_->click();
    }
    return true;
}

InputDiscardScope::InputDiscardScope(QAbstractButton* pass_button) {
    discarder_.PassButton(pass_button);
    QCoreApplication::instance()->installEventFilter(&discarder_);
}

InputDiscardScope::~InputDiscardScope() {
    // Input that queued up meanwhile is delivered now, into the discarder.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&discarder_);
}

}  // namespace kotar
