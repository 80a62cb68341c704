// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/NewObjDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/Cp932.h"
#include "store/PropertyName.h"
#include "ui/DialogLayout.h"

namespace kotar {

CNewObjDlg::CNewObjDlg(Prompter& prompter, QWidget* parent)
    : CancellableDialog(parent), prompter_(prompter) {
    setWindowTitle(QStringLiteral("新規物件"));
    setFont(DialogFont());
    DialogUnits du(font());
    setFixedSize(du.Size(187, 83));

    PlaceControl(new QLabel(QStringLiteral("物件名称："), this), du, 0, 7, 7, 60, 10);
    name_edit_ = PlaceControl(new QLineEdit(this), du, 1024, 7, 23, 120, 14);
    ok_button_ = PlaceControl(new QPushButton(QStringLiteral("OK"), this), du, 1, 130, 7, 50, 14);
    ok_button_->setDefault(true);
    auto* cancel =
        PlaceControl(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), du, 2, 130, 24, 50, 14);
    cancel->setAutoDefault(false);
    empty_radio_ = PlaceControl(new QRadioButton(QStringLiteral("空の新規物件"), this), du, 1048,
                                14, 48, 160, 11);
    copy_radio_ = PlaceControl(new QRadioButton(QStringLiteral("選択中の物件の音声をコピー"), this),
                               du, 1049, 14, 61, 160, 11);

    ok_button_->setEnabled(false);
    empty_radio_->setChecked(true);

    connect(name_edit_, &QLineEdit::textChanged, this, &CNewObjDlg::OnNameEdited);
    connect(empty_radio_, &QRadioButton::clicked, this, [this] { choice_ = kChoiceEmpty; });
    connect(copy_radio_, &QRadioButton::clicked, this, [this] { choice_ = kChoiceCopy; });
    connect(ok_button_, &QPushButton::clicked, this, &CNewObjDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CNewObjDlg::reject);
}

void CNewObjDlg::SetPropertySelected(bool selected) {
    copy_radio_->setEnabled(selected);
    if (!selected && choice_ == kChoiceCopy) {
        empty_radio_->setChecked(true);
        choice_ = kChoiceEmpty;
    }
}

std::string CNewObjDlg::name() const {
    return name_edit_->text().toStdString();
}

void CNewObjDlg::OnNameEdited() {
    // The field holds at most 40 cp932 bytes, as the property folder names allow.
    const std::string text = name();
    if (!PropertyNameFitsLength(text)) {
        const int cursor = name_edit_->cursorPosition();
        const QSignalBlocker blocker(name_edit_);
        name_edit_->setText(
            QString::fromStdString(TruncateToCp932Bytes(text, kPropertyNameMaxBytes)));
        name_edit_->setCursorPosition(
            std::min(cursor, static_cast<int>(name_edit_->text().size())));
    }
    ok_button_->setEnabled(!name_edit_->text().isEmpty());
}

void CNewObjDlg::accept() {
    const std::string text = name();
    if (text.empty())
        return;
    PropertyNameCheck check = CheckNewPropertyName(listed_names_, text);
    if (check != PropertyNameCheck::Ok) {
        ShowPropertyNameRefusal(check, prompter_);
        return;
    }
    QDialog::accept();
}

}  // namespace kotar
