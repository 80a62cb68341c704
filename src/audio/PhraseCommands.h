#pragma once

#include "app/KOTARDlg.h"
#include "audio/Endpoints.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"

namespace kotar {

// Plugs the phrase dialogs (creation method, import and edit, recording, playback) and the
// recording settings into the main window's commands. The prompter, the configuration file
// and the endpoints must outlive the hooks.
void InstallPhraseCommands(KotarDlgHooks& hooks, Prompter& prompter, ProfileFile& ini,
                           AudioEndpoints& endpoints = SystemEndpoints());

}  // namespace kotar
