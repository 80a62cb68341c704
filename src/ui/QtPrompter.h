// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Prompter.h"

#include <QStringList>

class QWidget;

namespace kotar {

// The prompter of the desktop program: message boxes and file dialogs of Qt, owned by the
// active modal window (or the given fallback parent).
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* fallback_parent = nullptr) : fallback_parent_(fallback_parent) {}

    void set_fallback_parent(QWidget* parent) { fallback_parent_ = parent; }

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;

    using Prompter::ShowMessage;

private:
    QWidget* Owner() const;

    QWidget* fallback_parent_;
};

// "Name|pattern|Name|pattern||" as a Qt name filter list ("Name (pattern)").
QStringList ToQtNameFilters(const std::string& filter);

}  // namespace kotar
