// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/KOTARDlg.h"
#include "app/SingleInstance.h"
#include "common/Prompter.h"

namespace kotar {

// The application: refuses a second copy, brings up the main window with MEVAN.INI in the start
// directory and runs it until the exit command.
class CKOTARApp {
public:
    // arguments: the command line without the program name.
    CKOTARApp(std::vector<std::string> arguments, Prompter& prompter,
              QString instance_name = SingleInstance::DefaultServerName());

    // Claims the single-instance lock for this copy. True when another copy holds it: message
    // 143 has been shown and that copy asked to come forward; this copy must end with exit
    // code 0. When the lock cannot be used, a message says why and this copy runs (false).
    bool RefuseSecondCopy();

    // The whole start-up and the main window's modal loop; the exit code.
    int Run();

private:
    std::vector<std::string> arguments_;
    Prompter& prompter_;
    SingleInstance instance_;
};

}  // namespace kotar
