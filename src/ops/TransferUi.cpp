#include "ops/TransferUi.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

namespace kotar {

TransferScope::TransferScope(QWidget* dialog) : dialog_(dialog) {
    if (dialog_)
        dialog_->setCursor(Qt::WaitCursor);
}

TransferScope::~TransferScope() {
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
