// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/Prompter.h"
#include "ui/CancellableDialog.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kotar {

// One property of the work folder as the search dialog lists it.
struct PropertyEntry {
    std::string name;
    std::string update_time;  // "YYYY/MM/DD hh:mm:ss", local time
};

// The properties of the work folder in list order with the last-write time of their folders.
std::vector<PropertyEntry> ReadPropertyEntries(const std::string& work_folder);

// "物件選択": every property of the work folder with its update time, sortable by either column,
// with a stepping name search; gives the chosen name.
class CSearchDlg : public CancellableDialog {
public:
    explicit CSearchDlg(Prompter& prompter, QWidget* parent = nullptr);

    // Reads the properties once; later changes in the folder are not seen by this dialog.
    void SetWorkFolder(const std::string& work_folder);

    // The chosen property (after OK).
    const std::string& result_name() const { return result_; }
    int search_position() const { return search_position_; }
    int sort_direction_flag() const { return sort_direction_flag_; }

    void accept() override;

private:
    void Fill(const QString& filter);
    void OnSearch();
    void OnSearchTextEdited();
    void OnRowClicked();
    void OnHeaderClicked(int column);

    Prompter& prompter_;
    std::vector<PropertyEntry> cache_;
    std::string result_;
    int search_position_ = 0;
    int sort_column_ = 0;
    // 1: the next sort is ascending; toggled by every sort. The first sort is ascending.
    int sort_direction_flag_ = 1;

    QLineEdit* folder_edit_;
    QTreeWidget* list_;
    QLineEdit* search_edit_;
    QPushButton* search_button_;
    QPushButton* ok_button_;
};

}  // namespace kotar
