// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "common/ProfileFile.h"
#include "ui/CancellableDialog.h"

class QComboBox;
class QPushButton;

namespace kotar {

// "ポート設定": chooses the COM port of the device among the present ports and stores its
// number as CONFIG/PORT.
class CPortSetDlg : public CancellableDialog {
public:
    // friendly_names: the present ports in list order ("<name> (COMn)").
    CPortSetDlg(ProfileFile& ini, std::vector<std::string> friendly_names,
                QWidget* parent = nullptr);

    // The friendly names of the ports present now, in list order.
    static std::vector<std::string> PresentPortNames(const ProfileFile& ini);

    // The index preselected at opening (-1 when there is no port).
    int preselected_index() const { return preselected_index_; }

    void accept() override;

private:
    ProfileFile& ini_;
    QComboBox* combo_;
    QPushButton* set_button_;
    int preselected_index_ = -1;
};

}  // namespace kotar
