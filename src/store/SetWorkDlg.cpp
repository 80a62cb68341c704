// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/SetWorkDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "common/ProfileFile.h"
#include "store/WorkFolderPath.h"
#include "ui/DialogLayout.h"

namespace kotar {

CSetWorkDlg::CSetWorkDlg(Prompter& prompter, QWidget* parent)
    : CancellableDialog(parent), prompter_(prompter) {
    setWindowTitle(QStringLiteral("作業フォルダ選択"));
    setFont(DialogFont());
    DialogUnits du(font());
    setFixedSize(du.Size(187, 103));

    PlaceControl(new QLabel(QStringLiteral("作業フォルダ："), this), du, 0, 7, 7, 60, 10);
    path_edit_ = PlaceControl(new QLineEdit(this), du, 1050, 7, 23, 157, 15);
    browse_button_ = PlaceControl(new QPushButton(QStringLiteral("フォルダの選択"), this), du, 1025,
                                  94, 43, 70, 15);
    browse_button_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    browse_button_->setAutoDefault(false);
    ok_button_ = PlaceControl(new QPushButton(QStringLiteral("OK"), this), du, 1, 75, 80, 50, 14);
    ok_button_->setDefault(true);
    auto* cancel =
        PlaceControl(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), du, 2, 129, 80, 50, 14);
    cancel->setAutoDefault(false);

    connect(path_edit_, &QLineEdit::textChanged, this, &CSetWorkDlg::OnPathEdited);
    connect(browse_button_, &QPushButton::clicked, this, &CSetWorkDlg::OnBrowse);
    connect(ok_button_, &QPushButton::clicked, this, &CSetWorkDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSetWorkDlg::reject);
    OnPathEdited();
}

void CSetWorkDlg::SetPath(const std::string& path) {
    path_edit_->setText(QString::fromStdString(path));
}

std::string CSetWorkDlg::path() const {
    return path_edit_->text().toStdString();
}

void CSetWorkDlg::OnPathEdited() {
    ok_button_->setEnabled(!path_edit_->text().isEmpty());
}

void CSetWorkDlg::OnBrowse() {
    FolderDialogRequest request;
    request.title = "作業フォルダの指定";
    request.initial_folder = path();
    if (std::optional<std::string> folder = prompter_.ChooseFolder(request)) {
        path_edit_->setText(QString::fromStdString(*folder));
    }
}

void CSetWorkDlg::accept() {
    if (ProfileFile::HasLineBreak(path())) {
        prompter_.ShowText(kLineBreakWorkFolderText, kBadWorkFolderCaption,
                           MessageIcon::Exclamation);
        return;
    }
    if (!IsAcceptableWorkFolderPath(path())) {
        prompter_.ShowText(kBadWorkFolderText, kBadWorkFolderCaption, MessageIcon::Exclamation);
        return;
    }
    QDialog::accept();
}

}  // namespace kotar
