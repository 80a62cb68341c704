// The desktop program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/KOTARApp.h"
#include "app/ProgramIcon.h"
#include "audio/SystemWaveDevice.h"
#include "common/ProcessExit.h"
#include "ui/DialogLayout.h"
#include "ui/QtPrompter.h"

namespace {

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
    // The window, the sound devices and the application object are gone once RunProgram returns.
    kotar::ExitWithoutLibraryTeardown(RunProgram(argc, argv));
}
