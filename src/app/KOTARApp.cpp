// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KOTARApp.h"

#include <filesystem>

#include "common/Messages.h"
#include "store/DiskSpace.h"

namespace kotar {

CKOTARApp::CKOTARApp(std::vector<std::string> arguments, Prompter& prompter, QString instance_name)
    : arguments_(std::move(arguments)), prompter_(prompter), instance_(std::move(instance_name)) {}

bool CKOTARApp::RefuseSecondCopy() {
    if (instance_.Claim()) {
        // Something another user planted may keep the lock from working, never the program.
        if (!instance_.problem().empty())
            prompter_.ShowText(instance_.problem(), "", MessageIcon::Exclamation);
        return false;
    }
    prompter_.ShowMessage(kMsgAlreadyRunning, MessageIcon::Error);
    instance_.ActivateEarlierCopy();
    return true;
}

int CKOTARApp::Run() {
    // Before anything of the window is built: two copies started together never both run.
    if (RefuseSecondCopy())
        return 0;

    std::error_code ec;
    const std::filesystem::path start_directory = std::filesystem::current_path(ec);
    ProfileFile ini(ConfigurationFilePath(start_directory));
    FilesystemSpaceSource space;
    CKOTARDlg window({.ini = ini, .prompter = prompter_, .space = space});
    window.SetStartDirectory(start_directory);
    instance_.SetRaiseRequest([&window] { window.RestoreAndRaise(); });
    window.Initialize(arguments_);
    window.exec();
    instance_.SetRaiseRequest({});  // the window goes before the instance
    return 0;
}

}  // namespace kotar
