// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstring>

#include "app/KOTARApp.h"
#include "app/ProgramIcon.h"
#include "audio/SystemWaveDevice.h"
#include "common/ProcessExit.h"
#include "common/ProgramVersion.h"
#include "ui/DialogLayout.h"
#include "ui/QtPrompter.h"

namespace {

void PrintHelp() {
    std::fputs(
        "Usage: kotar [maintenance]\n"
        "\n"
        "Starts KOTAR, the desktop program with which installers prepare the spoken phrases of\n"
        "the fire-alarm notification device and write them over a serial line into it, or\n"
        "export them for a ROM writer. MEVAN.INI in the current directory holds the\n"
        "configuration (the menu entry starts the program in the home folder); the work folder\n"
        "holds one folder per property. Only one copy runs at a time: a second start brings\n"
        "the running one to the front.\n"
        "\n"
        "  maintenance  as the last argument: keep the maintenance menu\n"
        "  --help       show this text\n"
        "  --version    show the version and the licence\n"
        "\n"
        "kotar-cli offers the same operations for scripts.\n",
        stdout);
}

int RunProgram(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KOTAR"));
    // The installed menu entry (kotar.desktop), so that desktops pair its windows with it.
    QApplication::setDesktopFileName(QStringLiteral("kotar"));
    QApplication::setWindowIcon(kotar::ProgramIcon());
    QApplication::setFont(kotar::DialogFont());

    // The standard buttons of message boxes and file dialogs in Japanese, like every text of the
    // program.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);

    kotar::QtPrompter prompter;
    // Recording and playback on the system's default devices.
    const auto wave_device = kotar::MakeSystemWaveDevice();
    kotar::SetDefaultWaveDevice(wave_device.get());
    kotar::CKOTARApp kotar_app(std::move(arguments), prompter);
    return kotar_app.Run();
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before anything of Qt starts: no display is needed for them.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(kotar::VersionNotice("kotar").c_str(), stdout);
            return 0;
        }
    }
    // The window, the sound devices and the application object are gone once RunProgram returns.
    kotar::ExitWithoutLibraryTeardown(RunProgram(argc, argv));
}
