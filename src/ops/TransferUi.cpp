#include "ops/TransferUi.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

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

TransferScope::TransferScope(QWidget* dialog) : dialog_(dialog) {
    qApp->installEventFilter(&discarder_);
    if (dialog_)
        dialog_->setCursor(Qt::WaitCursor);
}

TransferScope::~TransferScope() {
    // Input that queued up while the transfer ran is delivered now, into the filter.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&discarder_);
    if (dialog_)
        dialog_->setCursor(Qt::ArrowCursor);
}

std::function<void()> WindowEventPump() {
    return [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
}

void DialogTransferSink::SetStatus(const std::string& text) {
    status_->setText(QString::fromStdString(text));
    // The transfer keeps this thread busy; show the text before the next step begins.
    status_->repaint();
}

void DialogTransferSink::SetProgressRange(int maximum) {
    progress_->setRange(0, maximum);
}

void DialogTransferSink::SetProgress(int position) {
    progress_->setValue(position);
}

}  // namespace kotar
