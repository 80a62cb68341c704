// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PhraseDialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <charconv>
#include <string>

#include "audio/PhraseEditControls.h"
#include "audio/WaveForm.h"
#include "common/Messages.h"
#include "ui/DialogLayout.h"

namespace kotar {

namespace {

// Message 133 with the maximum as "%0.3f" would print it, with a decimal point whatever the
// process locale (Qt adopts the user's locale at start-up).
// The waveform view's size in pixels, and the space between the controls around it.
constexpr QSize kViewSize(405, 150);
constexpr int kViewLeft = 10;
constexpr int kGap = 6;

std::string TooLongText(double max_seconds) {
    char number[32];
    const auto [end, error] =
        std::to_chars(number, number + sizeof number, max_seconds, std::chars_format::fixed, 3);
    const std::string seconds(number, error == std::errc() ? end : number);
    std::string text = MessageText(kMsgRecordingTooLong);
    const std::size_t field = text.find("%0.3f");
    if (field != std::string::npos)
        text.replace(field, 5, seconds);
    return text;
}

}  // namespace

PhraseDialog::PhraseDialog(QWidget* parent, Prompter& prompter, AudioEndpoints& endpoints,
                           const std::string& message_text, const char* title)
    : CancellableDialog(parent),
      prompter_(prompter),
      endpoints_(endpoints),
      message_text_(message_text) {
    setWindowTitle(title);
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(311, 187));
    text_ = PlaceControl(new QLineEdit(this), du, 1026, 7, 5, 200, 13);
    text_->setReadOnly(true);
    text_->setMaxLength(40);
    text_->setText(QString::fromStdString(message_text));
}

QPushButton* PhraseDialog::AddButton(const DialogUnits& du, int id, const char* text, int x,
                                     int y) {
    auto* button = PlaceControl(new QPushButton(text, this), du, id, x, y, 50, 14);
    buttons_.push_back(button);
    return button;
}

QPushButton* PhraseDialog::AddIconButton(const DialogUnits& du, int id, const char* text,
                                         TransportIcon icon, int x, int y) {
    auto* button = PlaceControl(new QPushButton(this), du, id, x, y, 26, 22);
    button->setIcon(DrawTransportIcon(icon));
    button->setIconSize(QSize(28, 28));
    button->setToolTip(text);
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    buttons_.push_back(button);
    return button;
}

void PhraseDialog::AttachView(CWaveForm* view, bool compact) {
    view_ = view;
    // Below the message text, which the font may make taller than the design's 25 pixels.
    const int top = std::max(35, text_->geometry().bottom() + 1 + kGap);
    view_->Create(QRect(QPoint(kViewLeft, top), kViewSize), compact);
    connect(view_, &CWaveForm::CtrlMessage, this, &PhraseDialog::Refresh);
    if (!compact)
        KeepButtonsBelow(view_->fields_bottom());
}

void PhraseDialog::AttachEditControls(ProfileFile& ini, const QPushButton* pause) {
    edit_controls_ = new PhraseEditControls(this, ini, view_);
    KeepButtonsBelow(edit_controls_->PlaceRows(view_->fields_bottom() + 1 + 8));
    edit_controls_->PlaceHistoryButtons(pause->geometry().topRight() + QPoint(16, 0));
}

void PhraseDialog::KeepButtonsBelow(int y) {
    int top = height();
    for (const QPushButton* button : buttons_)
        top = std::min(top, button->y());
    const int shift = y + 1 + kGap - top;
    if (shift <= 0)
        return;
    for (QPushButton* button : buttons_)
        button->move(button->x(), button->y() + shift);
    setFixedSize(width(), height() + shift);
}

void PhraseDialog::keyPressEvent(QKeyEvent* event) {
    // +/- zoom the view (keys the focused control did not take, so a minus typed into a
    // number field stays there).
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (view_ != nullptr && plain) {
        switch (event->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                view_->ZoomIn();
                return;
            case Qt::Key_Minus:
                view_->ZoomOut();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

void PhraseDialog::mousePressEvent(QMouseEvent* event) {
    // A press on the dialog outside the view clears a marked range, as one inside the view
    // places the cursor (the view ignores it unless it is editable and stopped).
    if (forward_mouse_ && view_ != nullptr && event->button() == Qt::LeftButton)
        view_->TrackButtonDown(event->globalPosition().toPoint());
    QDialog::mousePressEvent(event);
}

void PhraseDialog::DestroyView() {
    delete view_;
    view_ = nullptr;
}

void PhraseDialog::Enable(std::initializer_list<std::pair<int, bool>> table) {
    for (const auto& [id, enabled] : table) {
        if (auto* widget = findChild<QWidget*>(QString::number(id)))
            widget->setEnabled(enabled);
    }
}

void PhraseDialog::Refresh() {
    if (view_ != nullptr)
        state_ = view_->GetState();
    SetButtons();
}

void PhraseDialog::OnPlay() {
    if (!endpoints_.OutputDeviceExists()) {
        prompter_.ShowMessage(kMsgNoPlaybackDevice, MessageIcon::Error);
        return;
    }
    state_ = view_->BeginPlayback();
    SetButtons();
}

bool PhraseDialog::Confirm(const std::string& wav_path, double max_seconds) {
    const int check = view_->CheckLength(max_seconds);
    if (check == 2) {
        if (prompter_.ShowFormattedMessage(kMsgRecordingTooLong, TooLongText(max_seconds),
                                           MessageIcon::Error,
                                           MessageButtons::OkCancel) != MessageAnswer::Ok)
            return false;
        view_->TruncateToSeconds(max_seconds);
    } else if (check == 1) {
        view_->TruncateToSeconds(max_seconds);
    }
    // A phrase that could not be saved is never shown as saved: the take stays for a retry.
    if (view_->Save(wav_path, message_text_) != 1) {
        prompter_.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool PhraseDialog::AskDiscard() {
    return prompter_.ShowMessage(kMsgDiscardRecording, MessageIcon::Question, MessageButtons::YesNo,
                                 MessageAnswer::No) == MessageAnswer::Yes;
}

}  // namespace kotar
