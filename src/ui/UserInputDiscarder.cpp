#include "ui/UserInputDiscarder.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace kotar {

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
        case QEvent::KeyRelease: {
            // The keys with which a focused push button is pressed.
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key == Qt::Key_Space || key == Qt::Key_Select;
        }
        default:
            return false;
    }
}

bool UserInputDiscarder::eventFilter(QObject* watched, QEvent* event) {
    if (IsUserInput(event->type()) && !ActivatesPassButton(watched, event))
        return true;
    return QObject::eventFilter(watched, event);
}

InputDiscardScope::InputDiscardScope(QWidget* pass_button) {
    discarder_.PassButton(pass_button);
    QCoreApplication::instance()->installEventFilter(&discarder_);
}

InputDiscardScope::~InputDiscardScope() {
    // Input that queued up meanwhile is delivered now, into the discarder.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&discarder_);
}

}  // namespace kotar
