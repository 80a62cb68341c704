// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom of the waveform view, the level figures and commands and the edit history of the
// recording and editing dialogs, on a fake wave device.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "PhraseDialogFixture.h"
#include "PhraseSignals.h"
#include "audio/EditDlg.h"
#include "audio/WaveForm.h"

namespace kotar::test {
namespace {

const auto kLevelCommands = {1304, 1305, 1306, 1307, 1308};

// Marks a range of the view from one pixel to another.
void Mark(CWaveForm* view, int from_x, int to_x) {
    view->TrackButtonDown(view->mapToGlobal(QPoint(from_x, 60)));
    view->TrackMouseMove(view->mapToGlobal(QPoint(to_x, 60)));
}

void Wheel(CWaveForm* view, int angle, Qt::KeyboardModifiers modifiers, int x = 200) {
    QWheelEvent event(QPointF(x, 60), view->mapToGlobal(QPointF(x, 60)), QPoint(), QPoint(0, angle),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

std::vector<std::uint8_t> SoundOf(const std::vector<std::int16_t>& samples, Prompter& prompter) {
    const CSoundCtrl phrase = PhraseOf(samples, prompter);
    return std::vector<std::uint8_t>(phrase.data(), phrase.data() + phrase.length());
}

}  // namespace

class PhraseEditTest : public QObject, private PhraseDialogFixture {
    Q_OBJECT

private:
    // 6 s, 48,000 samples: silence, a quiet tone, silence.
    CSoundCtrl source_ =
        PhraseOf(Concat({Silence(8000), Tone(1000, -30, 32000), Silence(8000)}), prompter_);

    std::unique_ptr<CEditDlg> NewEditDlg(const CWaveFile& source) {
        auto dlg =
            std::make_unique<CEditDlg>(nullptr, prompter_, *ini_, endpoints_,
                                       (*dir_ / "02.wav").string(), "編集", source, 8.192, 1);
        dlg->show();
        return dlg;
    }

private Q_SLOTS:
    void init() { StartFixture(); }
    void cleanup() { StopFixture(); }

    void aZoomedSelectionDeletesTheSameSamplesAsAnUnzoomedOne() {
        auto plain = NewEditDlg(source_);
        Mark(plain->view(), 100, 140);
        plain->view()->DeleteSelection();

        auto zoomed = NewEditDlg(source_);
        CWaveForm* view = zoomed->view();
        view->ZoomIn();
        view->ZoomIn();
        view->SetScroll(350);
        // Pixels 50-210 at zoom 4 from column 350 are pixels 100-140 unzoomed.
        Mark(view, 50, 210);
        QCOMPARE(TextOf(zoomed.get(), 3002), TextOf(plain.get(), 3002));
        view->DeleteSelection();
        QVERIFY(BlockOf(view->sound()) == BlockOf(plain->view()->sound()));
        QCOMPARE(TextOf(zoomed.get(), 3000), TextOf(plain.get(), 3000));
    }

    void keysAndTheWheelZoomAroundTheCursorDownToOneSamplePerColumn() {
        auto dlg = NewEditDlg(source_);
        CWaveForm* view = dlg->view();
        auto* bar = Control<QScrollBar>(dlg.get(), 3003);
        Mark(view, 200, 300);
        const QImage unzoomed = view->surface().copy();
        const QString position = TextOf(dlg.get(), 3001);
        QVERIFY(!bar->isVisible());

        QTest::keyClick(dlg.get(), Qt::Key_Plus);
        Wheel(view, 120, Qt::ControlModifier);
        QCOMPARE(view->zoom(), 4);
        QVERIFY(bar->isVisible());
        QCOMPARE(view->cursor_left() - view->scroll(), 200);  // the cursor keeps its pixel
        QCOMPARE(TextOf(dlg.get(), 3001), position);
        const int scrolled = view->scroll();
        Wheel(view, -120, Qt::NoModifier);
        QVERIFY(view->scroll() > scrolled);
        QCOMPARE(bar->value(), view->scroll());

        for (int i = 0; i < 12; ++i)
            QTest::keyClick(dlg.get(), Qt::Key_Equal);
        // 120 samples per column unzoomed: 128 times as many columns hold less than one each.
        QCOMPARE(view->zoom(), 128);
        QVERIFY(view->ColumnToBytes(1000) - view->ColumnToBytes(999) <= 2);
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(dlg.get(), Qt::Key_Minus);
        QCOMPARE(view->zoom(), 1);
        QVERIFY(!bar->isVisible());
        QVERIFY(view->surface() == unzoomed);
    }

    void ctrlWheelZoomsAroundThePointerNotTheCursor() {
        auto dlg = NewEditDlg(source_);
        CWaveForm* view = dlg->view();
        view->TrackButtonDown(view->mapToGlobal(QPoint(100, 60)));
        const std::uint32_t under_pointer = view->ColumnToBytes(300);
        Wheel(view, 240, Qt::ControlModifier, 300);
        QCOMPARE(view->zoom(), 4);
        QCOMPARE(view->ColumnToBytes(view->scroll() + 300), under_pointer);
        Wheel(view, -120, Qt::ControlModifier, 300);
        QCOMPARE(view->zoom(), 2);
        QCOMPARE(view->ColumnToBytes(view->scroll() + 300), under_pointer);
    }

    void atFullZoomEachColumnShowsItsOwnSample() {
        // Silence, then a loud step at sample 20,000.
        auto dlg = NewEditDlg(PhraseOf(Concat({Silence(20000), Tone(0, -1, 20000)}), prompter_));
        CWaveForm* view = dlg->view();
        while (view->zoom() < view->MaxZoom())
            view->ZoomIn();
        int step = 0;
        while (view->ColumnToBytes(step) / 2 < 20'000)
            ++step;
        QCOMPARE(view->ColumnToBytes(step) / 2, 20'000u);  // no sample skipped
        view->SetScroll(step - 100);
        QCOMPARE(view->surface().pixelColor(98, 10), QColor(Qt::black));
        QCOMPARE(view->surface().pixelColor(102, 10), QColor(0, 255, 0));
    }

    void undoAndRedoByKeysAndButtonsRestoreEveryStateByteForByte() {
        auto dlg = NewEditDlg(source_);
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        CWaveForm* view = dlg->view();
        std::vector<std::vector<std::uint8_t>> states{BlockOf(view->sound())};
        Mark(view, 150, 200);
        view->DeleteSelection();
        states.push_back(BlockOf(view->sound()));
        QVERIFY(Click(dlg.get(), 1304));  // 音量を揃える
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： -16.0 LUFS"));
        states.push_back(BlockOf(view->sound()));
        QVERIFY(Click(dlg.get(), 1306));  // 前後の無音を削除
        QCOMPARE(EnabledOf(dlg.get(), {1307, 1308}), QString("10"));

        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(BlockOf(view->sound()) == states[1]);
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： -33.4 LUFS"));
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(BlockOf(view->sound()) == states[0]);
        QCOMPARE(EnabledOf(dlg.get(), {1307, 1308}), QString("01"));
        QTest::keyClick(dlg.get(), Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(BlockOf(view->sound()) == states[2]);

        // Nothing changes while the phrase plays.
        QVERIFY(Click(dlg.get(), 1037));
        QCOMPARE(EnabledOf(dlg.get(), kLevelCommands), QString("00000"));
        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(BlockOf(view->sound()) == states[2]);
    }

    void aClippedTakeWarnsUntilItsLoudnessIsEvenedAndANewTakeStartsAfresh() {
        auto dlg = NewRecDlg(0);
        QCOMPARE(TextOf(dlg.get(), 1301), QString());
        QCOMPARE(EnabledOf(dlg.get(), kLevelCommands), QString("00000"));
        std::vector<std::int16_t> samples = Tone(1000, -20, 16000);
        std::fill(samples.begin() + 4000, samples.begin() + 4003, 32767);
        Record(*dlg, SoundOf(samples, prompter_));
        auto* warning = Control<QLabel>(dlg.get(), 1303);
        QVERIFY(warning->isVisible());
        QCOMPARE(warning->text(), QString("音が割れています（クリップ）"));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： 0.0 dBFS"));
        QCOMPARE(EnabledOf(dlg.get(), kLevelCommands), QString("11100"));

        QVERIFY(Click(dlg.get(), 1304));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： -1.0 dBFS"));
        QVERIFY(!warning->isVisible());
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(warning->isVisible());

        // Nothing changes the take while the countdown of the next runs.
        ini_->WriteInt("CONFIG", "RECDELAY", 1);
        QString during_countdown;
        CRecDlg* raw = dlg.get();
        dlg->set_countdown_wait([&](int) { during_countdown = EnabledOf(raw, kLevelCommands); });
        Record(*dlg, SoundOf(Tone(1000, -20, 8000), prompter_));
        QCOMPARE(during_countdown, QString("00000"));
        QVERIFY(!warning->isVisible());
        QCOMPARE(EnabledOf(dlg.get(), {1307, 1308}), QString("00"));
    }

    void theLevelCommandsSayWhenTheTakeIsSilentOrThePeakStopsTheGain() {
        auto dlg = NewRecDlg(0);
        auto* note = Control<QLabel>(dlg.get(), 1309);
        Record(*dlg, 16'000);
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： 無音"));
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： 無音"));
        for (int command : {1304, 1306}) {
            note->hide();
            QVERIFY(Click(dlg.get(), command));
            QVERIFY(note->isVisible());
            QCOMPARE(note->text(), QString("無音のため変更しません"));
            QCOMPARE(EnabledOf(dlg.get(), {1307}), QString("0"));  // nothing to take back
        }

        // A quiet take with one loud click: the gain stops at -1 dBFS, short of -16 LUFS.
        std::vector<std::int16_t> samples = Tone(1000, -40, 16000);
        samples[8000] = 32000;
        Record(*dlg, SoundOf(samples, prompter_));
        QVERIFY(!note->isVisible());
        QVERIFY(Click(dlg.get(), 1304));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： -1.0 dBFS"));
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QString("ピーク制限のため目標に届きません"));
        QVERIFY(Click(dlg.get(), 1307));  // the note goes with the change it spoke of
        QVERIFY(!note->isVisible());
    }

    void theTargetIsWrittenToMevanIniOnlyWhenTheUserChangesIt() {
        auto dlg = NewRecDlg(0);
        auto* target = Control<QDoubleSpinBox>(dlg.get(), 1305);
        QCOMPARE(target->text(), QString("目標 -16.0 LUFS"));
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::nullopt);
        target->setValue(-20.5);
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::optional<std::string>("-20.5"));
        target->setValue(-2.0);  // out of the range: the nearest allowed
        QCOMPARE(Control<QDoubleSpinBox>(NewRecDlg(0).get(), 1305)->value(), -5.0);
        ini_->WriteString("CONFIG", "LOUDNESS", "laut");
        QCOMPARE(Control<QDoubleSpinBox>(NewRecDlg(0).get(), 1305)->value(), -16.0);
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::optional<std::string>("laut"));
    }

    void aTypedTargetBeyondTheRangeIsBroughtToItsEndAndTextIsRefused() {
        auto dlg = NewEditDlg(source_);
        auto* target = Control<QDoubleSpinBox>(dlg.get(), 1305);
        const auto type = [&](const char* text) {
            target->selectAll();
            QTest::keyClicks(target, text);
            QTest::keyClick(target, Qt::Key_Return);
            return std::pair(target->text(), ini_->GetValue("CONFIG", "LOUDNESS").value_or(""));
        };
        QCOMPARE(type("-50"), std::pair(QString("目標 -40.0 LUFS"), std::string("-40.0")));
        QCOMPARE(type("-3"), std::pair(QString("目標 -5.0 LUFS"), std::string("-5.0")));
        QCOMPARE(type("abc"), std::pair(QString("目標 -5.0 LUFS"), std::string("-5.0")));
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::PhraseEditTest)
#include "PhraseEditTest.moc"
