// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortSetDlg.h"

#include <QComboBox>
#include <QPushButton>

#include "config/Configuration.h"
#include "link/PortList.h"
#include "ui/DialogLayout.h"

namespace kotar {

CPortSetDlg::CPortSetDlg(ProfileFile& ini, std::vector<std::string> friendly_names, QWidget* parent)
    : CancellableDialog(parent), ini_(ini) {
    setWindowTitle(QStringLiteral("ポート設定"));
    setFont(DialogFont(8));
    DialogUnits du(font());
    setFixedSize(du.Size(163, 55));

    combo_ = PlaceControl(new QComboBox(this), du, 1104, 7, 9, 149, 14);
    combo_->setEditable(true);
    // Typed text never becomes an entry: the entries stay the port list, index for index.
    combo_->setInsertPolicy(QComboBox::NoInsert);
    set_button_ =
        PlaceControl(new QPushButton(QStringLiteral("設定"), this), du, 1, 52, 34, 50, 14);
    set_button_->setDefault(true);
    auto* cancel =
        PlaceControl(new QPushButton(QStringLiteral("キャンセル"), this), du, 2, 106, 34, 50, 14);
    cancel->setAutoDefault(false);
    connect(set_button_, &QPushButton::clicked, this, &CPortSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPortSetDlg::reject);

    if (friendly_names.empty()) {
        combo_->setEnabled(false);
        set_button_->setEnabled(false);
        return;
    }
    const int stored_port = ReadPortNumber(ini_);
    int selected = 0;
    for (std::size_t i = 0; i < friendly_names.size(); ++i) {
        combo_->addItem(QString::fromStdString(friendly_names[i]));
        if (PortNumberOfFriendlyName(friendly_names[i]) == stored_port)
            selected = static_cast<int>(i);
    }
    preselected_index_ = selected;
    combo_->setCurrentIndex(selected);
}

std::vector<std::string> CPortSetDlg::PresentPortNames(const ProfileFile& ini) {
    std::vector<std::string> names;
    for (const PortEntry& entry : ListPorts(&ini))
        names.push_back(entry.friendly_name);
    return names;
}

void CPortSetDlg::accept() {
    const int index = combo_->currentIndex();
    // Text typed by hand that names no entry keeps the stored port.
    if (index >= 0 && combo_->currentText() == combo_->itemText(index)) {
        ini_.WriteInt("CONFIG", "PORT",
                      PortNumberOfFriendlyName(combo_->itemText(index).toStdString()));
    }
    QDialog::accept();
}

}  // namespace kotar
