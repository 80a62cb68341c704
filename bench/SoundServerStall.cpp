// SPDX-License-Identifier: GPL-3.0-or-later
// The user-interface thread's longest stall while the sound server accepts connections and never
// answers: a 10 ms timer on the UI thread records the largest gap between its ticks while
//   1. the recording-settings dialog runs for 10 s (it asks for the input every 500 ms);
//   2. record is pressed five times in the recording dialog, one press a second;
//   3. play is pressed five times in the playback dialog, one press a second.
// Each press is also timed by itself. With --stops-answering the program meets the sound server
// of the session through a relay, which stops passing anything on once each dialog is open
// (and resumes between the parts). Usage: sound_server_stall [--stops-answering] [seconds]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FakeSoundServer.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/Endpoints.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/QtWaveDevice.h"
#include "audio/RecDlg.h"
#include "common/ProfileFile.h"

namespace {

using namespace kotar;

// The largest gap between the ticks of a 10 ms timer on this thread.
class StallMeter {
public:
    StallMeter() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ms_ = std::max(longest_ms_, clock_.restart()); });
    }
    void Start() {
        longest_ms_ = 0;
        clock_.start();
        timer_.start();
    }
    qint64 Stop() {
        timer_.stop();
        return std::max(longest_ms_, clock_.elapsed());
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ms_ = 0;
};

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Presses a button five times, one press a second; returns the longest press.
qint64 PressFiveTimes(QWidget& dialog, int id) {
    qint64 longest_ms = 0;
    for (int press = 0; press < 5; ++press) {
        auto* button = dialog.findChild<QPushButton*>(QString::number(id));
        QElapsedTimer clock;
        clock.start();
        if (button != nullptr)
            button->click();
        longest_ms = std::max(longest_ms, clock.elapsed());
        RunFor(1000);
    }
    return longest_ms;
}

// Waits until the program sees an output device, at most 10 s.
bool OutputSeen() {
    QElapsedTimer clock;
    clock.start();
    while (!HasOutputDevice()) {
        if (clock.elapsed() > 10'000)
            return false;
        RunFor(50);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool stops_answering = argc > 1 && std::string(argv[1]) == "--stops-answering";
    const int seconds_arg = stops_answering ? 2 : 1;
    const int settings_ms = argc > seconds_arg ? std::atoi(argv[seconds_arg]) * 1000 : 10'000;
    test::TempDir dir;
    if (stops_answering)
        test::TurnOffSharedMemory();
    test::FakeSoundServer server(dir / "native", stops_answering ? test::DefaultSoundServerSocket()
                                                                 : std::filesystem::path());
    setenv("PULSE_SERVER", server.address().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // In the relay mode: the server answers until the dialog is open, then stops.
    const auto stop_answering = [&] {
        if (stops_answering)
            server.Hang();
    };
    const auto answer_again = [&] {
        if (!stops_answering)
            return true;
        server.Resume();
        return OutputSeen();
    };
    if (!answer_again()) {
        std::printf("no sound server to relay to\n");
        return 1;
    }
    QtWaveDevice wave_device;
    SetDefaultWaveDevice(&wave_device);
    test::ScriptedPrompter prompter;
    ProfileFile ini(dir / "MEVAN.INI");
    ini.WriteInt("CONFIG", "RECDELAY", 0);
    StallMeter meter;

    std::printf("%s (%s)\n",
                stops_answering ? "sound server that stops answering once a dialog is open"
                                : "sound server that accepts and never answers",
                server.address().c_str());
    {
        CPeakDlg settings(nullptr, ini, SystemEndpoints());
        settings.show();
        RunFor(stops_answering ? 1500 : 0);  // the level meter is running
        stop_answering();
        meter.Start();
        RunFor(settings_ms);
        std::printf("recording settings, %d s: longest UI stall %lld ms\n", settings_ms / 1000,
                    static_cast<long long>(meter.Stop()));
    }
    const auto measure_presses = [&](const char* label, QWidget& dialog, int id) {
        dialog.show();
        if (!answer_again())
            return false;
        stop_answering();
        meter.Start();
        const qint64 press_ms = PressFiveTimes(dialog, id);
        std::printf("%s x5: longest press %lld ms, longest UI stall %lld ms\n", label,
                    static_cast<long long>(press_ms), static_cast<long long>(meter.Stop()));
        return true;
    };
    CRecDlg record(nullptr, prompter, ini, SystemEndpoints(), (dir / "01.wav").string(), "x", 8.192,
                   0);
    if (!measure_presses("record", record, 1027))
        return 1;
    CWaveFile phrase(kFormatPcm, 1, 8000, 16, 8'000, prompter);
    phrase.set_length(phrase.capacity());
    phrase.Save((dir / "03.wav").string(), "x");
    CPlayDlg play(nullptr, prompter, SystemEndpoints(), (dir / "03.wav").string(), "x", false);
    if (!measure_presses("play", play, 1031))
        return 1;
    std::string shown;
    for (int id : prompter.MessageIds())
        shown += std::to_string(id) + " ";
    std::printf("messages shown: %s\n", shown.c_str());
    std::printf("connections accepted by the server: %d, closed by the program: %d\n",
                server.accepted(), server.closed_by_client());
    SetDefaultWaveDevice(nullptr);
    return 0;
}
