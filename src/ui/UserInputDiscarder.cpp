#include "ui/UserInputDiscarder.h"

#include <QCoreApplication>
#include <QEvent>

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

bool UserInputDiscarder::eventFilter(QObject* watched, QEvent* event) {
    if (IsUserInput(event->type()))
        return true;
    return QObject::eventFilter(watched, event);
}

InputDiscardScope::InputDiscardScope() {
    QCoreApplication::instance()->installEventFilter(&discarder_);
}

InputDiscardScope::~InputDiscardScope() {
    // Input that queued up meanwhile is delivered now, into the discarder.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&discarder_);
}

}  // namespace kotar
