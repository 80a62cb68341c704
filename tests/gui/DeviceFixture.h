// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A simulated device on a pseudo-terminal, reached as COM12 through MEVAN.INI, for the dialog
// tests of the device dialogs.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "CommLogLines.h"
#include "DeviceModel.h"
#include "FakeSerialPort.h"
#include "GuiHarness.h"
#include "PtyDevice.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "common/ProfileFile.h"
#include "link/LinkTimer.h"
#include "link/SerialCom.h"

namespace kotar::test {

// The simulated device, either behind a scripted port inside the test (fast; what most tests
// use) or behind a pseudo-terminal that the link opens like a serial port.
enum class DeviceLink { InProcess, PseudoTerminal };

struct DeviceFixture {
    explicit DeviceFixture(DeviceLink link = DeviceLink::InProcess) {
        // A short tick keeps the timeouts of a silent device short; over the pseudo-terminal a
        // little longer, so that a busy machine does not turn its latency into a timeout.
        LinkTimer::Instance().SetTickMs(link == DeviceLink::InProcess ? 5 : 10);
        std::filesystem::create_directories(work());
        ini.WriteString("CONFIG", "PATH", work().string());
        ini.WriteInt("CONFIG", "PORT", 12);
        ini.WriteString("PORTS", "COM12", (temp / "port").string());
        environment.log_folder = temp.path();
        if (link == DeviceLink::InProcess) {
            line->respond = [this](std::span<const std::uint8_t> request) {
                std::vector<std::uint8_t> answer = model.Receive(request);
                // An unplugged device hangs the line up, as it does on a pseudo-terminal.
                line->gone = model.vanished();
                return answer;
            };
            environment.make_port = [l = line] { return std::make_unique<FakeSerialPort>(l); };
            opened = true;
            return;
        }
        device =
            std::make_unique<devsim::PtyDevice>(model, devsim::PtyDevice::Options{temp / "port"});
        opened = device->Open(&open_error);
        thread = std::thread([this] { device->Run(stop); });
    }
    ~DeviceFixture() {
        stop = true;
        if (thread.joinable())
            thread.join();
    }

    std::filesystem::path work() const { return temp / "work"; }
    std::vector<std::string> Log() const { return CommLogTexts(temp.path()); }

    TempDir temp;
    ProfileFile ini{temp / "MEVAN.INI"};
    ScriptedPrompter prompter;
    devsim::DeviceModel model;
    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    std::unique_ptr<devsim::PtyDevice> device;
    std::atomic<bool> stop{false};
    std::thread thread;
    LinkEnvironment environment;
    bool opened = false;
    std::string open_error;  // why the device behind a port could not be opened
};

// A test that needs the device behind a port skips on a system without pseudo-terminals
// (Windows, where the real serial port is tested against the simulator on a COM port instead).
#define KOTAR_SKIP_WITHOUT_PORT_DEVICE(fixture)                                 \
    do {                                                                        \
        if (!(fixture).opened)                                                  \
            QSKIP(qPrintable(QStringLiteral("no device behind a port here: ") + \
                             QString::fromStdString((fixture).open_error)));    \
    } while (false)

// Every text an edit shows, in order.
struct TextRecorder {
    explicit TextRecorder(QLineEdit* edit) {
        QObject::connect(edit, &QLineEdit::textChanged,
                         [this](const QString& text) { texts << text; });
    }
    QStringList texts;
};

// What a user does at a dialog's window: a left click at the centre of a control (by id), or,
// with no control, a key, which the window hands to its focused control. Delivered to the
// window as the window system delivers it, not to the control.
struct WindowInput {
    int control = 0;
    Qt::Key key = Qt::Key_unknown;
};
using WindowInputs = QList<WindowInput>;

inline void Deliver(QWidget* dialog, const WindowInput& input) {
    if (input.control == 0) {
        QTest::keyClick(dialog->windowHandle(), input.key);
        return;
    }
    const QWidget* target = Control(dialog, input.control);
    QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {},
                      target->mapTo(dialog, target->rect().center()));
}

// Acts at a dialog's window once its progress bar (1077) has reached a position, as a user does
// while a transfer runs; by default a click on the stop button (1130). Notes whether the stop
// button was enabled and focused then.
struct StopPress {
    StopPress(QWidget* dialog, int position, WindowInputs inputs = {{1130}}) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, dialog, position, inputs] {
            if (pressed || Control<QProgressBar>(dialog, 1077)->value() < position)
                return;
            pressed = true;
            QWidget* stop = Control(dialog, 1130);
            enabled = stop->isEnabled();
            focused = dialog->focusWidget() == stop;
            for (const WindowInput& input : inputs)
                Deliver(dialog, input);
        });
        timer.start();
    }

    QTimer timer;
    bool pressed = false;
    bool enabled = false;
    bool focused = false;
};

// What the screen shows of a child (the window's last painted content) equals a fresh
// rendering of the child as it is now.
inline bool ScreenShowsChildAsItIs(QWidget* window, QWidget* child) {
    const QImage screen = window->screen()
                              ->grabWindow(window->winId())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    const QPoint at = child->mapTo(window, QPoint(0, 0));
    const QImage shown = screen.copy(QRect(at, child->size()));
    const QImage fresh = child->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The corners of the frame show the parent's background on the screen only.
    const QRect inside = QRect(QPoint(0, 0), child->size()).adjusted(3, 3, -3, -3);
    return !shown.isNull() && shown.copy(inside) == fresh.copy(inside);
}

}  // namespace kotar::test

Q_DECLARE_METATYPE(kotar::test::WindowInput)
