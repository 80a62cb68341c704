// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's device commands: phrase write/read, port settings and maintenance.
#include "app/KOTARDlg.h"
#include "audio/PlayDlg.h"
#include "common/Utf8Path.h"
#include "export/SourceSlotCheck.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/MaintenanceOperationsDlg.h"

namespace kotar {

void CKOTARDlg::OnWriteRead() {
    const std::optional<int> kind = WriteReadDataKind();
    if (!kind)
        return;
    // The dialog still reads and writes chosen files; it makes nothing from the property then.
    if (const std::optional<PhrasePanelMode> mode = panel_mode())
        RefuseUnreadableSourceSlot(*mode, store_, config_.slot_captions, prompter_);
    CAudioFileTransferDlg dialog(ini_, prompter_, store_.current_name(), *kind, store_.slots(),
                                 this);
    dialog.SetLinkEnvironment(services_.link);
    // The phrase files of the dialog play in the compact play dialog.
    dialog.SetPlayer([this](QWidget* owner, const std::string& wav_path, const std::string& text) {
        CPlayDlg play(owner, prompter_, endpoints(), wav_path, text, true);
        play.exec();
    });
    dialog.exec();
}

void CKOTARDlg::OnPortSettings() {
    CPortSetDlg dialog(ini_, CPortSetDlg::PresentPortNames(ini_), this);
    dialog.exec();
}

void CKOTARDlg::OnMaintenance() {
    CMaintenanceOperationsDlg dialog(ini_, prompter_, this);
    dialog.SetStartDirectory(PathToUtf8(start_directory_));
    dialog.SetLinkEnvironment(services_.link);
    dialog.exec();
}

}  // namespace kotar
