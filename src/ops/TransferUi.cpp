// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/TransferUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

namespace kotar {

TransferScope::TransferScope(QWidget* dialog, QAbstractButton* stop_button)
    : discard_input_(stop_button), dialog_(dialog), stop_button_(stop_button) {
    if (dialog_)
        dialog_->setCursor(Qt::WaitCursor);
    if (stop_button_) {
        stop_connection_ = QObject::connect(stop_button_, &QAbstractButton::clicked,
                                            [this] { stop_requested_ = true; });
        stop_button_->setEnabled(true);
        // So that the keyboard reaches it: every other control is disabled meanwhile.
        stop_button_->setFocus();
    }
}

TransferScope::~TransferScope() {
    if (stop_button_) {
        // Before the queued input is delivered: a late click on it stops nothing.
        stop_button_->setEnabled(false);
        QObject::disconnect(stop_connection_);
    }
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
