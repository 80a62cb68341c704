// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase dialogs against the sound server of the test run (scripts/run-tests.sh): a null
// sink and a capture source that records it, so what is played comes back as input.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "../audio/ToneAnalysis.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "SoundServerSetup.h"
#include "TempDir.h"
#include "audio/EndpointsPulse.h"
#include "audio/PlayDlg.h"
#include "audio/QtWaveDevice.h"
#include "audio/RecDlg.h"
#include "audio/WaveForm.h"
#include "common/ProfileFile.h"

namespace kotar::test {
namespace {

bool PollUntil(const std::function<bool()>& done, int limit_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Plays or records one buffer and notes when its stream has closed.
class Stream : public WaveListener {
public:
    explicit Stream(CSoundCtrl& sound) : sound_(sound) {}
    void OnInputOpen() override { sound_.StartInput(); }
    void OnInputData(WaveHeader&) override { sound_.CloseRecord(); }
    void OnInputClose() override {
        sound_.FinishRecording();
        closed = true;
    }
    void OnOutputOpen() override { sound_.Play(0); }
    void OnOutputDone(WaveHeader&) override { sound_.ClosePlayback(); }
    void OnOutputClose() override { closed = true; }
    bool closed = false;

private:
    CSoundCtrl& sound_;
};

void FillTone(CWaveFile& sound, double frequency_hz, double amplitude) {
    const auto tone = Sine(frequency_hz, 8000, amplitude, sound.capacity() / 2);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const auto v = static_cast<std::int16_t>(tone[i] * 32767);
        sound.data()[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
        sound.data()[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }
    sound.set_length(sound.capacity());
}

// The amplitude of a tone in the loudest 100 ms of a take, and of a neighbouring frequency
// there (to tell a tone from noise).
std::pair<double, double> ToneLevel(const CWaveFile& take, double frequency_hz) {
    const auto samples = Samples16(take.data(), take.length() / 2);
    double best = 0;
    std::size_t best_at = 0;
    for (std::size_t at = 0; at + 800 <= samples.size(); at += 200) {
        const double a = ToneAmplitude(samples, at, 800, frequency_hz, 8000);
        if (a > best) {
            best = a;
            best_at = at;
        }
    }
    return {best, ToneAmplitude(samples, best_at, 800, frequency_hz * 1.5, 8000)};
}

}  // namespace

// Skipped without the loopback of scripts/run-tests.sh, but a failure in CI.
#define REQUIRE_SOUND_SERVER()                                                  \
    do {                                                                        \
        if (!LoopbackReady()) {                                                 \
            if (RunningInCi())                                                  \
                QFAIL("no sound server with the test loopback (run-tests.sh)"); \
            QSKIP("no sound server with the test loopback");                    \
        }                                                                       \
    } while (false)

class AudioDeviceTest : public QObject {
    Q_OBJECT

private:
    QtWaveDevice device_;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ProfileFile> ini_;
    ScriptedPrompter prompter_;

private Q_SLOTS:
    void init() {
        SetDefaultWaveDevice(&device_);
        dir_ = std::make_unique<TempDir>();
        ini_ = std::make_unique<ProfileFile>(*dir_ / "MEVAN.INI");
        ini_->WriteInt("CONFIG", "RECDELAY", 0);
        prompter_.Clear();
        if (LoopbackReady())
            SetInputVolume(1.0f);
    }
    void cleanup() { SetDefaultWaveDevice(nullptr); }

    void aTonePlayedIntoTheSinkIsRecordedAndSavedByTheRecordingDialog() {
        REQUIRE_SOUND_SERVER();
        const std::string path = (*dir_ / "01.wav").string();
        CRecDlg dlg(nullptr, prompter_, *ini_, SystemEndpoints(), path, "火災です", 8.192, 0);
        dlg.show();
        QVERIFY(Click(&dlg, 1027));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{});
        QCOMPARE(dlg.state(), 1);
        CSoundCtrl& take = dlg.view()->sound();
        QVERIFY(PollUntil([&] { return take.RecordPosition() > 0; }, 5000));

        CSoundCtrl tone(kFormatPcm, 1, 8000, 16, 16'000, prompter_);  // 1 s of 440 Hz
        FillTone(tone, 440, 0.25);
        Stream player(tone);
        QCOMPARE(tone.OpenPlayback(player), 1);
        QVERIFY(PollUntil([&] { return player.closed; }, 10'000));
        const std::uint32_t after = take.RecordPosition() + 8'000;
        QVERIFY(PollUntil([&] { return take.RecordPosition() >= after; }, 5000));
        QVERIFY(Click(&dlg, 1028));
        // The buttons follow when the view reports the closed recording.
        QVERIFY(PollUntil([&] { return IsEnabled(&dlg, 1); }, 5000));
        QCOMPARE(EnabledOf(&dlg), QString("111101"));
        QVERIFY(Click(&dlg, 1));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));

        ScriptedPrompter reader;
        CWaveFile saved(path, CWaveFile::kAudioMode, reader);
        QCOMPARE(saved.format().samples_per_sec, 8000u);
        QVERIFY(saved.length() > 16'000u);
        QCOMPARE(saved.length() % 40, 0u);
        const auto [level, other] = ToneLevel(saved, 440);
        qInfo("recorded 440 Hz at %.3f of full scale (660 Hz: %.4f)", level, other);
        QVERIFY(level > 0.22 && level < 0.28);
        QVERIFY(other < 0.01);
        CWaveFile attribute(path, CWaveFile::kAttributeMode, reader);
        QCOMPARE(attribute.AttributeText(), std::string("火災です"));
    }

    void aSavedPhrasePlayedByThePlaybackDialogComesOutOfTheSink() {
        REQUIRE_SOUND_SERVER();
        const std::string path = (*dir_ / "03.wav").string();
        CWaveFile phrase(kFormatPcm, 1, 8000, 16, 12'000, prompter_);  // 0.75 s of 700 Hz
        FillTone(phrase, 700, 0.4);
        QCOMPARE(phrase.Save(path, "再生"), 1);

        CSoundCtrl take(kFormatPcm, 1, 8000, 16, 96'000, prompter_);
        take.set_length(take.capacity());
        Stream recorder(take);
        QCOMPARE(take.OpenRecord(recorder), 1);
        QVERIFY(PollUntil([&] { return take.RecordPosition() > 0; }, 5000));

        CPlayDlg dlg(nullptr, prompter_, SystemEndpoints(), path, "再生", false);
        dlg.show();
        QVERIFY(Click(&dlg, 1031));
        QCOMPARE(dlg.state(), 2);
        QVERIFY(PollUntil([&] { return dlg.state() == 4; }, 10'000));  // played to the end
        QCOMPARE(dlg.view()->cursor_left(), 0);
        const std::uint32_t after = take.RecordPosition() + 8'000;
        QVERIFY(PollUntil([&] { return take.RecordPosition() >= after; }, 5000));
        take.StopRecord();
        QVERIFY(PollUntil([&] { return recorder.closed; }, 5000));
        const auto [level, other] = ToneLevel(take, 700);
        qInfo("played 700 Hz came back at %.3f of full scale (1050 Hz: %.4f)", level, other);
        QVERIFY(level > 0.36 && level < 0.44);
        QVERIFY(other < 0.01);
        QVERIFY(prompter_.MessageIds().empty());
    }

    void closingTheDialogsWhileTheDevicesRunDropsThemQuietly() {
        REQUIRE_SOUND_SERVER();
        auto rec = std::make_unique<CRecDlg>(nullptr, prompter_, *ini_, SystemEndpoints(),
                                             (*dir_ / "01.wav").string(), "x", 8.192, 0);
        rec->show();
        QVERIFY(Click(rec.get(), 1027));
        CSoundCtrl& take = rec->view()->sound();
        QVERIFY(PollUntil([&] { return take.RecordPosition() > 0; }, 5000));
        rec->reject();  // Escape while recording: cancel is disabled, so nothing happens
        QVERIFY(rec->isVisible());
        rec.reset();  // the dialog goes while it records
        auto stopped = std::make_unique<CRecDlg>(nullptr, prompter_, *ini_, SystemEndpoints(),
                                                 (*dir_ / "01.wav").string(), "x", 8.192, 0);
        QVERIFY(Click(stopped.get(), 1027));
        QVERIFY(PollUntil([&] { return stopped->view()->sound().RecordPosition() > 0; }, 5000));
        QVERIFY(Click(stopped.get(), 1028));
        stopped.reset();  // before the view has heard that the recording closed

        CWaveFile phrase(kFormatPcm, 1, 8000, 16, 16'000, prompter_);
        phrase.set_length(phrase.capacity());
        phrase.Save((*dir_ / "03.wav").string(), "x");
        auto play = std::make_unique<CPlayDlg>(nullptr, prompter_, SystemEndpoints(),
                                               (*dir_ / "03.wav").string(), "x", false);
        QVERIFY(Click(play.get(), 1031));
        QVERIFY(PollUntil([&] { return play->view()->sound().PlayPosition() > 0; }, 5000));
        play.reset();
        // Whatever was still queued for them arrives at nobody.
        QVERIFY(!PollUntil([] { return false; }, 300));
        QVERIFY(prompter_.MessageIds().empty());
    }

    void withoutDevicesTheDialogsShow132And130() {
        REQUIRE_SOUND_SERVER();
        // The default source turned into a monitor: no capture device.
        const std::string sink = *DefaultSinkName();
        const std::string source = *DefaultSourceName();
        const auto default_source_is = [](const std::string& name) {
            return SystemEndpoints().WaitFor(
                [&name](const EndpointState& s) { return s.input_id == name; },
                std::chrono::seconds(20));
        };
        QCOMPARE(QProcess::execute(
                     "pactl", {"set-default-source", QString::fromStdString(sink + ".monitor")}),
                 0);
        QVERIFY(default_source_is(sink + ".monitor"));
        CRecDlg rec(nullptr, prompter_, *ini_, SystemEndpoints(), (*dir_ / "01.wav").string(), "x",
                    8.192, 0);
        QVERIFY(Click(&rec, 1027));
        QProcess::execute("pactl", {"set-default-source", QString::fromStdString(source)});
        QVERIFY(default_source_is(source));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{132});
        QCOMPARE(rec.state(), 0);

        // No server at all: no render device either.
        PulseEndpoints absent("unix:/nonexistent/kotar/native");
        QVERIFY(absent.WaitFor([](const EndpointState& s) { return s.updates > 0; },
                               std::chrono::seconds(20)));
        CWaveFile phrase(kFormatPcm, 1, 8000, 16, 1'600, prompter_);
        phrase.Save((*dir_ / "03.wav").string(), "x");
        CPlayDlg play(nullptr, prompter_, absent, (*dir_ / "03.wav").string(), "x", false);
        CRecDlg lost(nullptr, prompter_, *ini_, absent, (*dir_ / "01.wav").string(), "x", 8.192, 0);
        QVERIFY(Click(&play, 1031));
        QVERIFY(Click(&lost, 1027));
        QCOMPARE(prompter_.MessageIds(), (std::vector<int>{132, 130, 132}));
        QCOMPARE(play.state(), 4);
    }

private:
    static QString EnabledOf(const QWidget* dlg) {
        QString out;
        for (int id : {1, 2, 1029, 1027, 1030, 1028})
            out += IsEnabled(dlg, id) ? '1' : '0';
        return out;
    }
};

}  // namespace kotar::test

KOTAR_SOUND_QTEST_MAIN(kotar::test::AudioDeviceTest)
#include "AudioDeviceTest.moc"
