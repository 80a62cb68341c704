// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SelMeanDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/DialogLayout.h"

namespace kotar {

CSelMeanDlg::CSelMeanDlg(QWidget* parent, const std::string& message_text, bool holds_phrase)
    : CancellableDialog(parent), holds_phrase_(holds_phrase) {
    setWindowTitle("作成方法選択");
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(239, 129));

    PlaceControl(new QLabel("メッセージテキスト：", this), du, 0, 7, 9, 90, 10);
    text_ = PlaceControl(new QLineEdit(this), du, 1023, 7, 21, 160, 13);
    text_->setMaxLength(20);
    text_->setEnabled(false);
    ok_ = PlaceControl(new QPushButton("OK", this), du, 1, 182, 7, 50, 14);
    ok_->setDefault(true);
    auto* cancel = PlaceControl(new QPushButton("ｷｬﾝｾﾙ", this), du, 2, 182, 25, 50, 14);
    from_file_ = PlaceControl(new QRadioButton("既存の.WAVファイルから取得", this), du, 1012, 7, 45,
                              170, 12);
    record_ = PlaceControl(new QRadioButton("新規録音", this), du, 1013, 7, 62, 170, 12);
    speech_ =
        PlaceControl(new QRadioButton("テキストから音声合成", this), du, 1014, 7, 79, 170, 12);
    edit_current_ =
        PlaceControl(new QRadioButton("現在の音声を編集", this), du, 1015, 7, 96, 170, 12);

    connect(text_, &QLineEdit::textChanged, this, &CSelMeanDlg::OnTextChanged);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(from_file_, &QRadioButton::clicked, this, [this] { Choose(kFromFile); });
    connect(record_, &QRadioButton::clicked, this, [this] { Choose(kRecord); });
    connect(speech_, &QRadioButton::clicked, this, [this] { Choose(kSpeech); });
    connect(edit_current_, &QRadioButton::clicked, this, [this] { Choose(kEditCurrent); });

    text_->setText(QString::fromStdString(message_text));
    OnTextChanged();  // also for an empty text, which emits no change
}

void CSelMeanDlg::OnTextChanged() {
    const bool has_text = !text_->text().isEmpty();
    from_file_->setEnabled(has_text);
    record_->setEnabled(has_text);
    speech_->setEnabled(has_text);
    edit_current_->setEnabled(has_text && holds_phrase_);
    // OK without a chosen method would close the dialog as if it were cancelled.
    ok_->setEnabled(has_text && method_ != kNone);
}

void CSelMeanDlg::Choose(Method method) {
    method_ = method;
    OnTextChanged();
}

}  // namespace kotar
