// SPDX-License-Identifier: GPL-3.0-or-later
// The audio dialogs and the Qt Multimedia wave device while the sound server accepts
// connections and never answers. The program's endpoints are pointed at such a server before
// they are first used. A timer posted before each step fires only once the UI thread is free
// again: the program must still hold its one connection to the server open then, i.e. nothing
// waited for the server and gave up on it.
#include <QApplication>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeSoundServer.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/QtWaveDevice.h"
#include "audio/RecDlg.h"
#include "common/ProfileFile.h"

namespace kotar::test {

namespace {

// Endpoints that know both devices, of a server that has stopped answering since.
class StaleEndpoints : public CachedEndpoints {
public:
    StaleEndpoints() {
        EndpointState state;
        state.answering = true;
        state.input_id = "in";
        state.input.exists = true;
        state.output_id = "out";
        state.output_exists = true;
        Publish(state);
    }
    bool SetVolume(float) override { return false; }
    bool ConfirmAnswering(std::chrono::milliseconds) override {
        ++confirmations;
        return false;
    }
    int confirmations = 0;
};

}  // namespace

class HungSoundServerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<FakeSoundServer> server_;
    std::unique_ptr<ProfileFile> ini_;
    ScriptedPrompter prompter_;
    int closed_when_free_ = -1;

    // Posts the timer that notes how many connections the program had closed when it fired.
    void PostProbe() {
        closed_when_free_ = -1;
        QTimer::singleShot(0, this, [this] { closed_when_free_ = server_->closed_by_client(); });
    }

private Q_SLOTS:
    void initTestCase() {
        dir_ = std::make_unique<TempDir>();
        server_ = std::make_unique<FakeSoundServer>(*dir_ / "native");
        qputenv("PULSE_SERVER", QByteArray::fromStdString(server_->address()));
        ini_ = std::make_unique<ProfileFile>(*dir_ / "MEVAN.INI");
        ini_->WriteInt("CONFIG", "RECDELAY", 0);
    }
    void init() { prompter_.Clear(); }
    void cleanup() {
        // One connection for the whole run, never given up.
        QTRY_COMPARE(server_->accepted(), 1);
        QCOMPARE(server_->closed_by_client(), 0);
    }

    void theRecordingSettingsDialogShowsNoSourceAndStaysResponsive() {
        PostProbe();
        CPeakDlg dlg(nullptr, *ini_, SystemEndpoints());
        dlg.show();
        dlg.Tick();
        QTRY_VERIFY(closed_when_free_ >= 0);
        QCOMPARE(closed_when_free_, 0);
        QCOMPARE(TextOf(&dlg, 1105), QString(CPeakDlg::kNoSourceText));
        QCOMPARE(Control<QSlider>(&dlg, 1058)->value(), 0);
        QVERIFY(!dlg.monitoring());
    }

    void recordAndPlayAnswer132And130() {
        CRecDlg rec(nullptr, prompter_, *ini_, SystemEndpoints(), (*dir_ / "01.wav").string(), "x",
                    8.192, 0);
        CWaveFile phrase(kFormatPcm, 1, 8000, 16, 1'600, prompter_);
        phrase.set_length(phrase.capacity());
        QCOMPARE(phrase.Save((*dir_ / "03.wav").string(), "x"), 1);
        CPlayDlg play(nullptr, prompter_, SystemEndpoints(), (*dir_ / "03.wav").string(), "x",
                      false);
        PostProbe();
        QVERIFY(Click(&rec, 1027));
        QVERIFY(Click(&play, 1031));
        QTRY_VERIFY(closed_when_free_ >= 0);
        QCOMPARE(closed_when_free_, 0);
        QCOMPARE(prompter_.MessageIds(), (std::vector<int>{132, 130}));
        QCOMPARE(rec.state(), 0);
        QCOMPARE(play.state(), 4);
    }

    void theWaveDeviceOpensNothingAndLeavesQtMultimediaAlone() {
        // Qt Multimedia's first contact with this server would open a connection of its own
        // and wait half a minute for an answer.
        QTRY_VERIFY(server_->accepted() > 0);
        const int accepted = server_->accepted();
        StaleEndpoints stale;
        for (CachedEndpoints* endpoints : {static_cast<CachedEndpoints*>(&SystemEndpoints()),
                                           static_cast<CachedEndpoints*>(&stale)}) {
            QtWaveDevice device(*endpoints);
            CSoundCtrl sound(kFormatPcm, 1, 8000, 16, 16'000, prompter_);
            sound.set_wave_device(&device);
            WaveListener owner;
            QCOMPARE(sound.OpenPlayback(owner), 0);
            QCOMPARE(sound.OpenRecord(owner), 0);
        }
        QCOMPARE(stale.confirmations, 2);
        QCOMPARE(server_->accepted(), accepted);
    }
};

}  // namespace kotar::test

KOTAR_SOUND_QTEST_MAIN(kotar::test::HungSoundServerTest)
#include "HungSoundServerTest.moc"
