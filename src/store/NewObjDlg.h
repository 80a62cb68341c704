// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "common/Prompter.h"
#include "ui/CancellableDialog.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kotar {

// "新規物件": the name of a new property and whether it starts empty or with a copy of the
// selected property's phrases.
class CNewObjDlg : public CancellableDialog {
public:
    static constexpr int kChoiceEmpty = 1048;
    static constexpr int kChoiceCopy = 1049;

    explicit CNewObjDlg(Prompter& prompter, QWidget* parent = nullptr);

    // Whether the main window has a property selected (the copy choice needs one).
    void SetPropertySelected(bool selected);
    // The names of the property list, against which a new name is checked.
    void SetListedNames(std::vector<std::string> names) { listed_names_ = std::move(names); }

    std::string name() const;
    int choice() const { return choice_; }
    bool copy_selected() const { return choice_ == kChoiceCopy; }

    void accept() override;

private:
    void OnNameEdited();

    Prompter& prompter_;
    std::vector<std::string> listed_names_;
    int choice_ = kChoiceEmpty;
    QLineEdit* name_edit_;
    QPushButton* ok_button_;
    QRadioButton* empty_radio_;
    QRadioButton* copy_radio_;
};

}  // namespace kotar
