// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "link/SerialCom.h"
#include "ops/ProgramFile.h"
#include "ui/CancellableDialog.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kotar {

class TransferScope;

// "保守操作": loads and checks the device's application and update program files and writes
// both into the device; reads the device's 64 KiB data area into a file.
class CMaintenanceOperationsDlg : public CancellableDialog {
public:
    CMaintenanceOperationsDlg(ProfileFile& ini, Prompter& prompter, QWidget* parent = nullptr);

    // The program's start directory: where the file dialogs open.
    void SetStartDirectory(std::string start_directory) {
        start_directory_ = std::move(start_directory);
    }
    // Where the link logs and how it makes its port (the pump is the dialog's own).
    void SetLinkEnvironment(LinkEnvironment environment) { environment_ = std::move(environment); }

    const ProgramSelection& application() const { return application_; }
    const ProgramSelection& update() const { return update_; }

private:
    void BuildControls();
    void EnableControls(bool enable);
    void ShowSelections();
    LinkEnvironment TransferEnvironment(const TransferScope& scope);

    // Button handlers.
    void OnSelectApplicationFile();
    void OnSelectUpdateFile();
    void OnWriteProgram();
    void OnReadDataToFile();

    ProfileFile& ini_;
    Prompter& prompter_;
    std::string start_directory_;
    LinkEnvironment environment_;
    ProgramSelection application_;
    ProgramSelection update_;

    QLineEdit* app_name_ = nullptr;
    QLineEdit* app_version_ = nullptr;
    QLineEdit* app_date_ = nullptr;
    QLineEdit* app_path_ = nullptr;
    QLineEdit* upd_name_ = nullptr;
    QLineEdit* upd_version_ = nullptr;
    QLineEdit* upd_date_ = nullptr;
    QLineEdit* upd_path_ = nullptr;
    QLineEdit* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* app_browse_ = nullptr;
    QPushButton* upd_browse_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace kotar
