// SPDX-License-Identifier: GPL-3.0-or-later
// The delay from a real click on "中止" to the status "… 書込中止" during a paced, verified
// phrase write. The write/read dialog runs offscreen against the paced simulated device on a
// pseudo-terminal (38400 baud, 11 bits a byte, the program's 500 ms tick); once the progress bar
// reaches a position, a left click is delivered to the dialog's window at the button's centre,
// the way the window system delivers it, at a moment the program does not choose. One write per
// position; the bar runs to 257, the write pass to 129. Reported per click: when the button took
// the click, and when the status said the write had stopped. Not run by ctest; a position in the
// write pass costs about 0.3 s of line time per step. Usage: stop_click_delay [position ...]
// (default: 10 20 30 140)
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DeviceModel.h"
#include "PtyDevice.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "common/AtomicFile.h"
#include "common/ProfileFile.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/PhraseTransfer.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kotar;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename T>
T* Find(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

struct Outcome {
    std::string status;
    double clicked_ms = -1;  // the user's click -> the button's clicked signal
    double stopped_ms = -1;  // the user's click -> the status of a stopped transfer
};

// The user clicks at a moment of their own, not when the program looks: a thread of its own
// picks the moment (a few milliseconds to 300 ms after the bar has reached the position) and
// hands the click to the user-interface thread's queue, where it waits for the program to take
// its events as a click of the window system does.
Outcome WriteAndClickStop(CAudioFileTransferDlg& dialog, int position) {
    Outcome outcome;
    auto* stop = Find<QAbstractButton>(&dialog, 1130);
    auto* status = Find<QLineEdit>(&dialog, 1001);
    auto* progress = Find<QProgressBar>(&dialog, 1077);
    std::atomic<int> reached{0};
    std::atomic<bool> ended{false};
    std::atomic<Clock::rep> clicked_at{0};
    const auto since_click = [&] {
        return Ms(Clock::now() - Clock::time_point(Clock::duration(clicked_at.load())));
    };
    const auto moved = QObject::connect(progress, &QProgressBar::valueChanged,
                                        [&](int value) { reached = value; });
    const auto clicked = QObject::connect(stop, &QAbstractButton::clicked, [&] {
        if (outcome.clicked_ms < 0)
            outcome.clicked_ms = since_click();
    });
    const auto shown = QObject::connect(status, &QLineEdit::textChanged, [&](const QString& text) {
        if (clicked_at != 0 && outcome.stopped_ms < 0 && text.endsWith(QStringLiteral("中止")))
            outcome.stopped_ms = since_click();
    });
    std::thread user([&] {
        while (reached < position && !ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + position * 37 % 300));
        if (ended)
            return;
        clicked_at = Clock::now().time_since_epoch().count();
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, stop] {
                QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {},
                                  stop->mapTo(&dialog, stop->rect().center()));
            },
            Qt::QueuedConnection);
    });
    Find<QAbstractButton>(&dialog, 1119)->click();  // returns when the write has ended
    ended = true;
    user.join();
    QObject::disconnect(moved);
    QObject::disconnect(clicked);
    QObject::disconnect(shown);
    outcome.status = status->text().toStdString();
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> positions;
    for (int i = 1; i < argc; ++i)
        positions.push_back(std::atoi(argv[i]));
    if (positions.empty())
        positions = {10, 20, 30, 140};

    test::TempDir folder;
    devsim::DeviceModel model;
    devsim::PtyDevice device(model, {folder / "port", true, 38400, 11});
    std::string error;
    if (!device.Open(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::atomic<bool> stop_device{false};
    std::thread sim([&] { device.Run(stop_device); });

    ProfileFile ini(folder / "MEVAN.INI");
    ini.WriteInt("CONFIG", "PORT", 7);
    ini.WriteInt("CONFIG", "VERIFY", 1);
    ini.WriteString("PORTS", "COM7", (folder / "port").string());
    std::vector<std::uint8_t> phrase(kPhraseFileBytes);
    for (std::size_t i = 0; i < phrase.size(); ++i)
        phrase[i] = static_cast<std::uint8_t>(i * 7);
    WriteFileAtomically(folder / "ph.snd", phrase);

    test::ScriptedPrompter prompter;
    const SlotList slots(3);
    CAudioFileTransferDlg dialog(ini, prompter, "計測", 0, slots);
    LinkEnvironment environment;
    environment.log_folder = folder.path();
    dialog.SetLinkEnvironment(environment);
    dialog.show();
    prompter.AnswerNextDialog((folder / "ph.snd").string());
    Find<QAbstractButton>(&dialog, 1025)->click();

    int failures = 0;
    for (int position : positions) {
        // The paced device takes in what it was sent before the stop at the line's rate; the
        // next write starts once it is done, as a user's next press would.
        QTest::qWait(2000);
        const Outcome o = WriteAndClickStop(dialog, position);
        std::printf(
            "click at progress %d (%s pass): button clicked after %.1f ms, \"%s\" after "
            "%.1f ms\n",
            position, position <= 128 ? "write" : "read-back", o.clicked_ms, o.status.c_str(),
            o.stopped_ms);
        failures += o.stopped_ms < 0;
    }
    stop_device = true;
    sim.join();
    return failures == 0 ? 0 : 1;
}
