#pragma once

#include "app/KOTARDlg.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"

namespace kotar {

// Plugs the write/read, port settings and maintenance dialogs into the main window's commands.
// Hooks already set are kept. ini and prompter must outlive the hooks.
void AddDeviceDialogHooks(KotarDlgHooks& hooks, ProfileFile& ini, Prompter& prompter);

}  // namespace kotar
