// SPDX-License-Identifier: GPL-3.0-or-later
// Renders each phrase dialog and the recording settings (with a live meter) into
// <build>/screenshots/*.png for review, and checks that every visible text fits its control.
#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/EditDlg.h"
#include "audio/Meter.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/RecDlg.h"
#include "audio/SelMeanDlg.h"
#include "audio/SpeechDlg.h"
#include "audio/WaveForm.h"
#include "common/ProfileFile.h"

namespace kotar::test {
namespace {}  // namespace

class AudioScreenshots : public QObject {
    Q_OBJECT

private:
    FakeWaveDevice device_;
    TempDir dir_;
    ScriptedPrompter prompter_;
    FakeEndpoints endpoints_ = [] {
        FakeEndpoints e;
        e.volume = 0.75f;  // the slider shown in the recording-settings picture
        return e;
    }();

    void Shoot(QWidget* window, const std::string& name) {
        window->show();
        QCoreApplication::processEvents();
        const auto file = SaveScreenshot(window, name);
        QVERIFY(std::filesystem::exists(file));
        const QStringList clipped = ClippedTexts(window);
        if (!clipped.isEmpty())
            QFAIL(qPrintable(QString::fromStdString(name) + ": " + clipped.join("; ")));
    }
    // A spoken-phrase-like buffer: bursts of tone with pauses.
    CWaveFile Phrase(std::uint32_t bytes) {
        CWaveFile buffer(kFormatPcm, 1, 8000, 16, bytes, prompter_);
        for (std::uint32_t i = 0; i < bytes / 2; ++i) {
            const double envelope = std::max(0.0, std::sin(i / 2500.0)) * 0.6;
            const auto v = static_cast<std::int16_t>(envelope * 32767 * std::sin(i * 0.35));
            buffer.data()[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            buffer.data()[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        }
        buffer.set_length(bytes);
        return buffer;
    }

private Q_SLOTS:
    void initTestCase() { SetDefaultWaveDevice(&device_); }
    void cleanupTestCase() { SetDefaultWaveDevice(nullptr); }

    void phraseDialogs() {
        CSelMeanDlg selmean(nullptr, "火災が発生しました", true);
        Shoot(&selmean, "audio_selmean");
        {
            ProfileFile speech_ini(dir_ / "SPEECH.INI");
            CSpeechDlg speech(nullptr, prompter_, speech_ini, endpoints_,
                              "東京都千代田区丸の内一丁目、中央ビル三階で火事です。", dir_.path());
            Shoot(&speech, "audio_speech");
        }

        ProfileFile ini(dir_ / "MEVAN.INI");
        ini.WriteInt("CONFIG", "RECDELAY", 3);
        CRecDlg rec(nullptr, prompter_, ini, endpoints_, (dir_ / "01.wav").string(),
                    "火災が発生しました。避難してください。", 8.192, 0);
        // The countdown with 3 seconds left, then a finished take.
        rec.set_countdown_wait([&](int) {
            if (rec.countdown_shown().back() == 3)
                Shoot(&rec, "audio_rec_countdown");
        });
        QVERIFY(Click(&rec, 1027));
        device_.Deliver();
        CWaveFile take = Phrase(96'000);
        for (int i = 30'000; i < 30'020; i += 2) {  // a clipped run: the warning shows
            take.data()[i] = 0xFF;
            take.data()[i + 1] = 0x7F;
        }
        device_.Capture(std::vector<std::uint8_t>(take.data(), take.data() + take.length()));
        QVERIFY(Click(&rec, 1028));
        device_.Deliver();
        Shoot(&rec, "audio_rec");

        CWaveFile source = Phrase(120'000);
        CEditDlg edit(nullptr, prompter_, ini, endpoints_, (dir_ / "02.wav").string(), "火災です",
                      source, 8.192, 1);
        edit.show();
        CWaveForm* view = edit.view();
        view->TrackButtonDown(view->mapToGlobal(QPoint(120, 60)));
        view->TrackMouseMove(view->mapToGlobal(QPoint(220, 60)));
        Shoot(&edit, "audio_edit");
        view->ZoomIn();
        view->ZoomIn();
        Shoot(&edit, "audio_edit_zoomed");
        // A target the peak ceiling does not let the phrase reach: the note beside the figures.
        Control<QDoubleSpinBox>(&edit, 1305)->setValue(-5.0);
        QVERIFY(Click(&edit, 1304));
        QVERIFY(Control<QLabel>(&edit, 1309)->isVisible());
        Shoot(&edit, "audio_edit_peak_note");

        source.Save((dir_ / "03.wav").string(), "火災です");
        CPlayDlg play(nullptr, prompter_, endpoints_, (dir_ / "03.wav").string(), "火災です",
                      false);
        Shoot(&play, "audio_play");
        CPlayDlg compact(nullptr, prompter_, endpoints_, (dir_ / "03.wav").string(), "火災です",
                         true);
        Shoot(&compact, "audio_play_compact");
    }

    void recordingSettingsWithALiveMeter() {
        ProfileFile ini(dir_ / "MEVAN.INI");
        CPeakDlg peak(nullptr, ini, endpoints_);
        peak.Tick();
        device_.Deliver();
        CWaveFile level = Phrase(1'600);
        for (std::uint32_t i = 0; i < 1'600; i += 2) {  // a peak of about 22000
            const auto v = static_cast<std::int16_t>(22'000 * std::sin(i * 0.2));
            level.data()[i] = static_cast<std::uint8_t>(v & 0xFF);
            level.data()[i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        }
        device_.Capture(std::vector<std::uint8_t>(level.data(), level.data() + 1'600));
        device_.Deliver();
        QVERIFY(peak.meter() != nullptr);
        QVERIFY(peak.meter()->LitCount() >= 20);
        Shoot(&peak, "audio_peak");
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::AudioScreenshots)
#include "AudioScreenshots.moc"
