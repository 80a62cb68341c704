// Zoom of the waveform view, the level figures and commands and the edit history of the
// recording and editing dialogs, on a fake wave device.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "PhraseDialogFixture.h"
#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "audio/EditDlg.h"
#include "audio/RecDlg.h"
#include "audio/WaveForm.h"
#include "common/ProfileFile.h"

namespace kotar::test {
namespace {

// Marks a range of the view from one pixel to another and deletes it.
void DeleteBetween(CWaveForm* view, int from_x, int to_x) {
    view->TrackButtonDown(view->mapToGlobal(QPoint(from_x, 60)));
    view->TrackMouseMove(view->mapToGlobal(QPoint(to_x, 60)));
    view->DeleteSelection();
}

std::vector<std::uint8_t> BytesOf(const CWaveFile& buffer) {
    return std::vector<std::uint8_t>(buffer.data(), buffer.data() + buffer.length());
}

}  // namespace

class PhraseEditTest : public QObject, private PhraseDialogFixture {
    Q_OBJECT

private:
    // 6 s: silence, a quiet tone, silence.
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
        DeleteBetween(plain->view(), 100, 140);

        auto zoomed = NewEditDlg(source_);
        CWaveForm* view = zoomed->view();
        view->ZoomIn();
        view->ZoomIn();
        QCOMPARE(view->zoom(), 4);
        view->SetScroll(350);
        // Pixels 50-210 of the zoomed view are phrase columns 400-560: pixels 100-140 unzoomed.
        view->TrackButtonDown(view->mapToGlobal(QPoint(50, 60)));
        view->TrackMouseMove(view->mapToGlobal(QPoint(210, 60)));
        QCOMPARE(TextOf(zoomed.get(), 3002), TextOf(plain.get(), 3002));
        view->DeleteSelection();
        QCOMPARE(view->sound().length(), plain->view()->sound().length());
        QVERIFY(BlockOf(view->sound()) == BlockOf(plain->view()->sound()));
        QCOMPARE(TextOf(zoomed.get(), 3000), TextOf(plain.get(), 3000));
    }

    void zoomKeysAndTheWheelZoomAroundTheCursorDownToOneSamplePerColumn() {
        auto dlg = NewEditDlg(source_);
        CWaveForm* view = dlg->view();
        auto* bar = Control<QScrollBar>(dlg.get(), 3003);
        QVERIFY(bar != nullptr);
        QVERIFY(!bar->isVisible());
        view->TrackButtonDown(view->mapToGlobal(QPoint(200, 60)));
        view->TrackButtonUp(view->mapToGlobal(QPoint(200, 60)));
        const QString position = TextOf(dlg.get(), 3001);

        QTest::keyClick(dlg.get(), Qt::Key_Plus);
        QCOMPARE(view->zoom(), 2);
        QVERIFY(bar->isVisible());
        // The cursor stays at its pixel and its position.
        QCOMPARE(view->cursor_left() - view->scroll(), 200);
        QCOMPARE(TextOf(dlg.get(), 3001), position);

        QWheelEvent wheel(QPointF(200, 60), view->mapToGlobal(QPointF(200, 60)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(view, &wheel);
        QCOMPARE(view->zoom(), 4);
        QWheelEvent scroll(QPointF(200, 60), view->mapToGlobal(QPointF(200, 60)), QPoint(),
                           QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        const int before = view->scroll();
        QApplication::sendEvent(view, &scroll);
        QVERIFY(view->scroll() > before);
        QCOMPARE(bar->value(), view->scroll());

        for (int i = 0; i < 20; ++i)
            QTest::keyClick(dlg.get(), Qt::Key_Equal);
        const int max_zoom = view->zoom();
        QCOMPARE(max_zoom, view->MaxZoom());
        // 48,000 samples over 401 columns are 120 per column unzoomed: 128 times as many columns
        // hold less than one sample each.
        QCOMPARE(max_zoom, 128);
        QVERIFY(view->ColumnToBytes(1000) - view->ColumnToBytes(999) <= 2);

        for (int i = 0; i < 20; ++i)
            QTest::keyClick(dlg.get(), Qt::Key_Minus);
        QCOMPARE(view->zoom(), 1);
        QCOMPARE(view->scroll(), 0);
        QVERIFY(!bar->isVisible());
    }

    void atFullZoomEachColumnShowsItsOwnSample() {
        // Silence, then a loud step at sample 20,000.
        auto dlg = NewEditDlg(PhraseOf(Concat({Silence(20000), Tone(0, -1, 20000)}), prompter_));
        CWaveForm* view = dlg->view();
        while (view->zoom() < view->MaxZoom())
            view->ZoomIn();
        QCOMPARE(view->zoom(), 128);
        int step = 0;
        while (view->ColumnToBytes(step) / 2 < 20'000)
            ++step;
        QVERIFY(view->ColumnToBytes(step) / 2 == 20'000);  // no sample skipped
        view->SetScroll(step - 100);
        const QImage& picture = view->surface();
        QCOMPARE(picture.pixelColor(98, 10), QColor(Qt::black));
        QCOMPARE(picture.pixelColor(102, 10), QColor(0, 255, 0));
    }

    void zoomingInAndOutLeavesTheUnzoomedPictureAsItWas() {
        auto dlg = NewEditDlg(source_);
        CWaveForm* view = dlg->view();
        view->TrackButtonDown(view->mapToGlobal(QPoint(120, 60)));
        view->TrackMouseMove(view->mapToGlobal(QPoint(220, 60)));
        const QImage before = view->surface().copy();
        const QString range = TextOf(dlg.get(), 3002);
        view->ZoomIn();
        view->ZoomIn();
        QVERIFY(view->surface() != before);
        view->ZoomOut();
        view->ZoomOut();
        QVERIFY(view->surface() == before);
        QCOMPARE(TextOf(dlg.get(), 3002), range);
    }

    void undoAndRedoInTheEditDialogRestoreEveryStateByteForByte() {
        auto dlg = NewEditDlg(source_);
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        CWaveForm* view = dlg->view();
        const auto ids = {1307, 1308};
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("00"));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： -30.0 dBFS"));
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： -33.3 LUFS"));

        std::vector<std::vector<std::uint8_t>> states{BlockOf(view->sound())};
        DeleteBetween(view, 150, 200);
        states.push_back(BlockOf(view->sound()));
        QVERIFY(Click(dlg.get(), 1304));  // 音量を揃える
        states.push_back(BlockOf(view->sound()));
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： -16.0 LUFS"));
        QVERIFY(Click(dlg.get(), 1306));  // 前後の無音を削除
        states.push_back(BlockOf(view->sound()));
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("10"));

        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(BlockOf(view->sound()) == states[2]);
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(BlockOf(view->sound()) == states[1]);
        QCOMPARE(TextOf(dlg.get(), 1302), QString("ラウドネス： -33.4 LUFS"));
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(BlockOf(view->sound()) == states[0]);
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("01"));

        QTest::keyClick(dlg.get(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(BlockOf(view->sound()) == states[1]);
        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(BlockOf(view->sound()) == states[2]);
        QVERIFY(Click(dlg.get(), 1308));
        QVERIFY(BlockOf(view->sound()) == states[3]);
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("10"));

        // Nothing changes while the phrase plays.
        QVERIFY(Click(dlg.get(), 1037));
        QCOMPARE(EnabledOf(dlg.get(), {1304, 1305, 1306, 1307, 1308}), QString("00000"));
        QTest::keyClick(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(BlockOf(view->sound()) == states[3]);
    }

    void aClippedTakeWarnsUntilItsLoudnessIsEvenedAndANewTakeStartsAfresh() {
        auto dlg = NewRecDlg(0);
        QCOMPARE(TextOf(dlg.get(), 1301), QString());
        QCOMPARE(EnabledOf(dlg.get(), {1304, 1305, 1306, 1307, 1308}), QString("00000"));
        std::vector<std::int16_t> samples = Tone(1000, -20, 16000);
        std::fill(samples.begin() + 4000, samples.begin() + 4003, 32767);
        Record(*dlg, BytesOf(PhraseOf(samples, prompter_)));
        auto* warning = Control<QLabel>(dlg.get(), 1303);
        QVERIFY(warning->isVisible());
        QCOMPARE(warning->text(), QString("音が割れています（クリップ）"));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： 0.0 dBFS"));
        QCOMPARE(EnabledOf(dlg.get(), {1304, 1305, 1306, 1307, 1308}), QString("11100"));

        QVERIFY(Click(dlg.get(), 1304));
        QCOMPARE(TextOf(dlg.get(), 1301), QString("ピーク： -1.0 dBFS"));
        QVERIFY(!warning->isVisible());
        QVERIFY(Click(dlg.get(), 1307));
        QVERIFY(warning->isVisible());
        QCOMPARE(EnabledOf(dlg.get(), {1307, 1308}), QString("01"));

        // Nothing changes the take while the countdown of the next runs.
        ini_->WriteInt("CONFIG", "RECDELAY", 1);
        QString during_countdown;
        CRecDlg* raw = dlg.get();
        dlg->set_countdown_wait([&](int) {
            during_countdown = EnabledOf(raw, {1304, 1305, 1306, 1307, 1308});
        });
        Record(*dlg, BytesOf(PhraseOf(Tone(1000, -20, 8000), prompter_)));
        QCOMPARE(during_countdown, QString("00000"));
        QVERIFY(!warning->isVisible());
        QCOMPARE(EnabledOf(dlg.get(), {1307, 1308}), QString("00"));
    }

    void theTargetIsWrittenToMevanIniOnlyWhenTheUserChangesIt() {
        auto dlg = NewRecDlg(0);
        auto* target = Control<QDoubleSpinBox>(dlg.get(), 1305);
        QCOMPARE(target->value(), -16.0);
        QCOMPARE(target->text(), QString("目標 -16.0 LUFS"));
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::nullopt);
        target->setValue(-20.5);
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::optional<std::string>("-20.5"));
        // Out of the range, nothing is taken.
        target->setValue(-2.0);
        QCOMPARE(target->value(), -5.0);
        dlg.reset();
        auto again = NewRecDlg(0);
        QCOMPARE(Control<QDoubleSpinBox>(again.get(), 1305)->value(), -5.0);
        ini_->WriteString("CONFIG", "LOUDNESS", "laut");
        auto fallback = NewRecDlg(0);
        QCOMPARE(Control<QDoubleSpinBox>(fallback.get(), 1305)->value(), -16.0);
        QCOMPARE(ini_->GetValue("CONFIG", "LOUDNESS"), std::optional<std::string>("laut"));
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::PhraseEditTest)
#include "PhraseEditTest.moc"
