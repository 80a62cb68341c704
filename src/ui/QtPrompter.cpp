// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "ui/DialogLayout.h"
#include "ui/ProductInfo.h"

namespace kotar {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.c_str());
}

// Qt's dialogs answer with '/' on every system; the rest of the program, its messages and the
// files it writes use the system's own separators.
std::string ToNativePath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return QMessageBox::Ok;
        case MessageAnswer::Cancel:
            return QMessageBox::Cancel;
        case MessageAnswer::Yes:
            return QMessageBox::Yes;
        case MessageAnswer::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

}  // namespace

QStringList ToQtNameFilters(const std::string& filter) {
    QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

QWidget* QtPrompter::Owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return fallback_parent_;
}

MessageAnswer QtPrompter::ShowMessage(const MessageRequest& request) {
    QMessageBox box(Owner());
    box.setFont(DialogFont());
    box.setWindowTitle(request.caption.empty() ? QString::fromUtf8(kProductTitle)
                                               : FromUtf8(request.caption));
    QString text = FromUtf8(request.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(ToQtIcon(request.icon));
    switch (request.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    if (QAbstractButton* preferred = box.button(ToQtButton(request.default_answer))) {
        box.setDefaultButton(qobject_cast<QPushButton*>(preferred));
    }
    // Escape (or closing the box) answers like Cancel, or No when there is no Cancel.
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    QMessageBox::StandardButton button =
        clicked != nullptr ? box.standardButton(clicked) : QMessageBox::NoButton;
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            break;
    }
    if (request.buttons == MessageButtons::YesNo)
        return MessageAnswer::No;
    if (request.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return MessageAnswer::Cancel;
}

std::optional<std::string> QtPrompter::ChooseOpenFile(const FileDialogRequest& request) {
    QFileDialog dialog(Owner(), FromUtf8(request.title), FromUtf8(request.initial_folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(ToQtNameFilters(request.filter));
    if (!request.default_extension.empty()) {
        dialog.setDefaultSuffix(FromUtf8(request.default_extension));
    }
    if (!request.initial_name.empty() && request.initial_name.find('*') == std::string::npos) {
        dialog.selectFile(FromUtf8(request.initial_name));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToNativePath(dialog.selectedFiles().front());
}

std::optional<std::string> QtPrompter::ChooseSaveFile(const FileDialogRequest& request) {
    QFileDialog dialog(Owner(), FromUtf8(request.title), FromUtf8(request.initial_folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(ToQtNameFilters(request.filter));
    if (!request.default_extension.empty()) {
        dialog.setDefaultSuffix(FromUtf8(request.default_extension));
    }
    if (!request.prompt_overwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.initial_name.empty())
        dialog.selectFile(FromUtf8(request.initial_name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToNativePath(dialog.selectedFiles().front());
}

std::optional<std::string> QtPrompter::ChooseFolder(const FolderDialogRequest& request) {
    QString folder = QFileDialog::getExistingDirectory(Owner(), FromUtf8(request.title),
                                                       FromUtf8(request.initial_folder),
                                                       QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return ToNativePath(folder);
}

}  // namespace kotar
