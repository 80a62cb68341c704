#pragma once

#include "app/KOTARDlg.h"
#include "audio/Endpoints.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"

namespace kotar {

// Plugs the write/read, port settings and maintenance dialogs into the main window's commands;
// the write/read dialog plays its phrase files in the compact play dialog. Hooks already set are
// kept. ini, prompter and endpoints must outlive the hooks.
void AddDeviceDialogHooks(KotarDlgHooks& hooks, ProfileFile& ini, Prompter& prompter,
                          AudioEndpoints& endpoints = SystemEndpoints());

}  // namespace kotar
