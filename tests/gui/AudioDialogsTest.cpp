// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase dialogs, the waveform view, the meter and the recording settings, on a fake
// wave device and fake endpoints, driven through their controls by id.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <memory>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "PhraseDialogFixture.h"
#include "ScriptedPrompter.h"
#include "StandInSynthesizer.h"
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
namespace {

// A recording-format buffer of `bytes` holding a quiet ramp (no silence).
CWaveFile Buffer(std::uint32_t bytes, Prompter& prompter) {
    CWaveFile buffer(kFormatPcm, 1, 8000, 16, bytes, prompter);
    for (std::uint32_t i = 0; i < bytes; i += 2)
        buffer.data()[i] = static_cast<std::uint8_t>(1 + (i / 2) % 100);
    buffer.set_length(bytes);
    return buffer;
}

}  // namespace

class AudioDialogsTest : public QObject, private PhraseDialogFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { StartFixture(); }
    void cleanup() { StopFixture(); }

    void recordingStoppedAtOneAndAHalfSecondsShows0150AndTheButtonTables() {
        auto dlg = NewRecDlg(0);
        const auto ids = {1, 2, 1029, 1027, 1030, 1028};
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("010100"));  // state 0
        QVERIFY(Click(dlg.get(), 1027));
        QCOMPARE(dlg->state(), 1);
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("000001"));
        QCOMPARE(TextOf(dlg.get(), 3000), QString("長さ： 20.00秒"));
        device_->Deliver();
        device_->CaptureSilence(24'000);
        QVERIFY(Click(dlg.get(), 1028));
        QCOMPARE(dlg->view()->sound().length(), 24'000u);
        device_->Deliver();
        QCOMPARE(dlg->state(), 4);
        QCOMPARE(dlg->view()->sound().length(), 24'040u);
        QCOMPARE(TextOf(dlg.get(), 3000), QString("長さ： 01.50秒"));
        QCOMPARE(TextOf(dlg.get(), 3001), QString("位置： 00.00秒"));
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("111101"));

        QVERIFY(Click(dlg.get(), 1029));  // play
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("000011"));
        device_->Deliver();
        device_->PlayOut(8'000);
        QVERIFY(Click(dlg.get(), 1030));  // pause: buttons with the close message
        device_->Deliver();
        QCOMPARE(dlg->state(), 3);
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("001001"));
        QVERIFY(dlg->view()->cursor_left() > 0);
        QVERIFY(Click(dlg.get(), 1028));  // stop while paused: rewind
        QCOMPARE(dlg->state(), 4);
        QCOMPARE(dlg->view()->cursor_left(), 0);
        QCOMPARE(EnabledOf(dlg.get(), ids), QString("111101"));
    }

    void recordingShowsTheSlotsMaximumAndMarksItOnTheWaveform() {
        auto dlg = NewRecDlg(0);
        QCOMPARE(TextOf(dlg.get(), 1063), QString("最大： 08.19秒"));
        QVERIFY(Click(dlg.get(), 1027));
        // 8.192 s of the 20 s the recording view spans.
        CWaveForm* view = dlg->view();
        const int column = view->LimitColumn();
        QCOMPARE(column, 164);  // 131,072 bytes at 320,000 / 401 bytes per column
        QCOMPARE(view->surface().pixelColor(column, 10), QColor(255, 0, 0));
        device_->Deliver();
        device_->CaptureSilence(24'000);
        QVERIFY(Click(dlg.get(), 1028));
        device_->Deliver();
        // A take shorter than the maximum fills the view: the mark lies beyond it.
        QCOMPARE(view->LimitColumn(), -1);
    }

    void pausedPlaybackResumesWhereItStoppedAndAnEndedOneRewinds() {
        auto dlg = NewRecDlg(0);
        Record(*dlg, 32'000);
        QVERIFY(Click(dlg.get(), 1029));
        device_->Deliver();
        device_->PlayOut(8'000);
        QVERIFY(Click(dlg.get(), 1030));
        device_->Deliver();
        const int paused_at = dlg->view()->cursor_left();
        QVERIFY(Click(dlg.get(), 1029));
        device_->Deliver();
        // Resumes at the start of the pixel column where it stopped.
        const auto resumed = device_->output();
        QCOMPARE(dlg->view()->sound().PlayPosition(),
                 static_cast<std::uint32_t>(paused_at * (32'040.0 / 401)) & ~1u);
        device_->PlayOut(32'040);
        device_->Deliver();
        QCOMPARE(dlg->state(), 4);
        QCOMPARE(dlg->view()->cursor_left(), 0);
        QVERIFY(resumed != nullptr);
    }

    void recDelayCountsDownOneBitmapPerSecondAndBlocksInput() {
        for (const auto& [delay, expected] : std::vector<std::pair<int, std::vector<int>>>{
                 {0, {}}, {5, {5, 4, 3, 2, 1}}, {9, {3, 2, 1}}}) {
            auto dlg = NewRecDlg(delay);
            auto* label = Control<QLabel>(dlg.get(), 1062);
            QVERIFY(label != nullptr);
            QVERIFY(!label->isVisible());
            std::vector<bool> pictures_match;
            std::vector<QString> buttons;
            std::vector<int> waits;
            CRecDlg* raw = dlg.get();
            dlg->set_countdown_wait([&](int ms) {
                waits.push_back(ms);
                const int n = raw->countdown_shown().back();
                pictures_match.push_back(label->isVisible() &&
                                         label->pixmap().toImage() ==
                                             raw->countdown_bitmap(n - 1).toImage());
                buttons.push_back(EnabledOf(raw, {1, 2, 1029, 1027, 1030, 1028}));
            });
            QVERIFY(Click(dlg.get(), 1027));
            QCOMPARE(dlg->countdown_shown(), expected);
            QCOMPARE(waits, std::vector<int>(expected.size(), 1000));
            QCOMPARE(pictures_match, std::vector<bool>(expected.size(), true));
            QCOMPARE(buttons, std::vector<QString>(expected.size(), QString("000000")));
            QVERIFY(!label->isVisible());
            QCOMPARE(dlg->state(), 1);
        }
        // Five different pictures for five different seconds.
        auto dlg = NewRecDlg(0);
        for (int a = 0; a < 5; ++a)
            for (int b = a + 1; b < 5; ++b)
                QVERIFY(dlg->countdown_bitmap(a).toImage() != dlg->countdown_bitmap(b).toImage());
    }

    void clicksAndKeysMadeDuringTheCountdownAreDroppedAndTheRecordingStarts() {
        auto dlg = NewRecDlg(2);
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        CRecDlg* raw = dlg.get();
        std::vector<int> states_while_counting;
        int other_events = 0;
        dlg->set_countdown_wait([&](int) {
            states_while_counting.push_back(raw->state());
            // Input queued while the dialog is busy: every button, then Escape.
            for (int id : {1028, 2, 1, 1027, 1029, 1030})
                PostClick(Button(raw, id));
            PostKey(raw, Qt::Key_Escape);
            QTimer::singleShot(0, raw, [&] { ++other_events; });
        });
        QVERIFY(Click(dlg.get(), 1027));
        // Events other than input went through before the countdown returned.
        QCOMPARE(other_events, 2);
        QCoreApplication::processEvents();

        QCOMPARE(dlg->countdown_shown(), (std::vector<int>{2, 1}));
        QCOMPARE(states_while_counting, (std::vector<int>{0, 0}));
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->state(), 1);
        QCOMPARE(device_->inputs_opened(), 1);
        QVERIFY(!device_->input()->closed);
        QCOMPARE(EnabledOf(dlg.get(), {1, 2, 1029, 1027, 1030, 1028}), QString("000001"));
        QVERIFY(prompter_.prompts().empty());

        // Once the recording runs, a queued click acts again: it stops the recording.
        device_->Deliver();
        QVERIFY(device_->input()->started);
        device_->CaptureSilence(8'000);
        PostClick(Button(dlg.get(), 1028));
        QCoreApplication::processEvents();
        device_->Deliver();
        QCOMPARE(dlg->state(), 4);
        QVERIFY(dlg->isVisible());
    }

    void noCaptureDeviceShows132AndNoRenderDevice130() {
        auto dlg = NewRecDlg(0);
        endpoints_.jack = false;
        QVERIFY(Click(dlg.get(), 1027));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{132});
        QCOMPARE(prompter_.prompts()[0].message.icon, MessageIcon::Error);
        QCOMPARE(dlg->state(), 0);
        QCOMPARE(EnabledOf(dlg.get(), {1, 2, 1029, 1027, 1030, 1028}), QString("010100"));

        // A device that fails to open inside the view: 132 from the view, state unchanged.
        endpoints_.jack = true;
        device_->fail_open_input = true;
        QVERIFY(Click(dlg.get(), 1027));
        QCOMPARE(prompter_.MessageIds(), (std::vector<int>{132, 132}));
        QCOMPARE(dlg->state(), 0);
        device_->fail_open_input = false;

        Record(*dlg, 8'000);
        endpoints_.output = false;
        QVERIFY(Click(dlg.get(), 1029));
        QCOMPARE(prompter_.MessageIds().back(), 130);
        QCOMPARE(dlg->state(), 4);
    }

    void tooLongRecordingAsks133WithTheSlotMaximumAndCutsOnOk() {
        auto dlg = NewRecDlg(0);
        Record(*dlg, 160'000);  // 10 s
        prompter_.AnswerNextMessage(MessageAnswer::Cancel);
        QVERIFY(Click(dlg.get(), 1));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{133});
        const MessageRequest& asked = prompter_.prompts()[0].message;
        QCOMPARE(QString::fromStdString(asked.text),
                 QString("録音サイズが長すぎます。\n「OK」で8.192秒以降を自動で削除します。"));
        QCOMPARE(asked.buttons, MessageButtons::OkCancel);
        QCOMPARE(asked.icon, MessageIcon::Error);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->view()->sound().length(), 160'040u);
        QVERIFY(!std::filesystem::exists(*dir_ / "01.wav"));

        prompter_.AnswerNextMessage(MessageAnswer::Ok);
        QVERIFY(Click(dlg.get(), 1));
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        ScriptedPrompter reader;
        CWaveFile saved((*dir_ / "01.wav").string(), CWaveFile::kAttributeMode, reader);
        QCOMPARE(saved.length(), 131'072u);
        QCOMPARE(saved.AttributeText(), std::string("テスト"));
    }

    void aTakeJustOverTheMaximumIsCutWithoutAsking() {
        CWaveFile source = Buffer(131'080, prompter_);
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "02.wav").string(), "編集",
                     source, 8.192, 1);
        dlg.show();
        QVERIFY(Click(&dlg, 1));
        QVERIFY(prompter_.MessageIds().empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        ScriptedPrompter reader;
        CWaveFile saved((*dir_ / "02.wav").string(), CWaveFile::kAudioMode, reader);
        QCOMPARE(saved.length(), 131'072u);
    }

    void aFailedSaveIsReportedWith114AndTheDialogStays() {
        CWaveFile source = Buffer(16'000, prompter_);
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "missing" / "02.wav").string(),
                     "編集", source, 8.192, 1);
        dlg.show();
        QVERIFY(Click(&dlg, 1));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{114});
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.view() != nullptr);
    }

    void cancelAsks105OnlyAboutATake() {
        auto fresh = NewRecDlg(0);
        QVERIFY(Click(fresh.get(), 2));
        QVERIFY(prompter_.MessageIds().empty());
        QCOMPARE(fresh->result(), int(QDialog::Rejected));
        QVERIFY(!fresh->isVisible());

        auto dlg = NewRecDlg(0);
        Record(*dlg, 8'000);
        prompter_.AnswerNextMessage(MessageAnswer::No);
        QVERIFY(Click(dlg.get(), 2));
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{105});
        const MessageRequest& asked = prompter_.prompts()[0].message;
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.default_answer, MessageAnswer::No);
        QCOMPARE(asked.icon, MessageIcon::Question);
        QVERIFY(dlg->isVisible());
        prompter_.AnswerNextMessage(MessageAnswer::Yes);
        QVERIFY(Click(dlg.get(), 2));
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QVERIFY(!std::filesystem::exists(*dir_ / "01.wav"));
    }

    void editDialogButtonTablesAndItsCancelQuestion() {
        CWaveFile source = Buffer(32'000, prompter_);
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "02.wav").string(), "編集",
                     source, 8.192, 1);
        dlg.show();
        const auto ids = {1, 2, 1037, 1039, 1038};
        QCOMPARE(EnabledOf(&dlg, ids), QString("11101"));
        QVERIFY(Click(&dlg, 1037));
        QCOMPARE(EnabledOf(&dlg, ids), QString("00011"));
        device_->Deliver();
        device_->PlayOut(4'000);
        QVERIFY(Click(&dlg, 1039));  // pause sets the buttons at once
        QCOMPARE(EnabledOf(&dlg, ids), QString("00101"));
        device_->Deliver();
        dlg.reject();  // Escape in state 3: cancel is disabled, so nothing happens
        QVERIFY(prompter_.prompts().empty());
        QVERIFY(dlg.isVisible());
        QVERIFY(Click(&dlg, 1038));
        QCOMPARE(EnabledOf(&dlg, ids), QString("11101"));
        prompter_.AnswerNextMessage(MessageAnswer::No);
        dlg.reject();
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{105});
        QVERIFY(dlg.isVisible());

        // Play again at once after a pause, before the device has reported the pause.
        QVERIFY(Click(&dlg, 1037));
        device_->Deliver();
        device_->PlayOut(6'000);
        QVERIFY(Click(&dlg, 1039));
        const int paused_at = dlg.view()->cursor_left();
        QCOMPARE(paused_at, static_cast<int>(6'000 / (32'000.0 / 401)));
        QVERIFY(Click(&dlg, 1037));
        device_->Deliver();
        QCOMPARE(dlg.state(), 2);
        QCOMPARE(dlg.view()->sound().PlayPosition(),
                 static_cast<std::uint32_t>(paused_at * (32'000.0 / 401)) & ~1u);
        device_->PlayOut(32'000);
        device_->Deliver();
        QCOMPARE(dlg.state(), 4);
        QCOMPARE(EnabledOf(&dlg, ids), QString("11101"));
    }

    void playDialogTablesCompactLayoutAndAnUnreadableFile() {
        CWaveFile source = Buffer(16'000, prompter_);
        source.Save((*dir_ / "03.wav").string(), "再生");
        CPlayDlg dlg(nullptr, prompter_, endpoints_, (*dir_ / "03.wav").string(), "再生", false);
        dlg.show();
        QVERIFY(dlg.view()->read_only());
        const auto ids = {1, 2, 1031, 1033, 1032};
        QCOMPARE(EnabledOf(&dlg, ids), QString("11101"));
        QVERIFY(!Button(&dlg, 2)->isVisible());
        QVERIFY(Click(&dlg, 1031));
        QCOMPARE(EnabledOf(&dlg, ids), QString("00011"));
        device_->Deliver();
        QVERIFY(Click(&dlg, 1033));
        QCOMPARE(EnabledOf(&dlg, ids), QString("01101"));
        device_->Deliver();
        QVERIFY(Click(&dlg, 1031));
        device_->Deliver();
        device_->PlayOut(16'040);
        device_->Deliver();
        QCOMPARE(dlg.state(), 4);
        QCOMPARE(EnabledOf(&dlg, ids), QString("11101"));

        CPlayDlg compact(nullptr, prompter_, endpoints_, (*dir_ / "03.wav").string(), "再生", true);
        QCOMPARE(compact.size(), QSize(350, 180));
        QCOMPARE(Button(&compact, 1031)->pos(), QPoint(7, 100));
        QCOMPARE(Button(&compact, 1032)->pos(), QPoint(57, 100));
        QCOMPARE(Button(&compact, 1033)->pos(), QPoint(107, 100));
        QCOMPARE(Button(&compact, 1)->pos(), QPoint(240, 10));
        QCOMPARE(Edit(&compact, 3000)->y(), 70);

        prompter_.Clear();
        CPlayDlg broken(nullptr, prompter_, endpoints_, (*dir_ / "none.wav").string(), "x", false);
        QCOMPARE(prompter_.MessageIds(), std::vector<int>{110});
        QCOMPARE(broken.exec(), int(QDialog::Rejected));
    }

    void selMeanEnablesItsChoicesOnlyWithATextAndOkOnlyWithAChoice() {
        CSelMeanDlg empty(nullptr, "");
        QCOMPARE(EnabledOf(&empty, {1, 1012, 1013, 1014, 1015, 2}), QString("000001"));
        QVERIFY(!IsEnabled(&empty, 1023));
        CSelMeanDlg dlg(nullptr, "火災です");
        QCOMPARE(EnabledOf(&dlg, {1, 1012, 1013}), QString("011"));
        QCOMPARE(TextOf(&dlg, 1023), QString("火災です"));
        QCOMPARE(dlg.method(), 0);
        // Editing the current phrase only when the slot holds one.
        QCOMPARE(EnabledOf(&dlg, {1014, 1015}), QString("10"));
        CSelMeanDlg filled(nullptr, "火災です", true);
        QCOMPARE(EnabledOf(&filled, {1014, 1015}), QString("11"));
        QVERIFY(Click(&filled, 1015));
        QCOMPARE(filled.method(), 4);
        QVERIFY(Click(&dlg, 1014));
        QCOMPARE(dlg.method(), 3);
        QVERIFY(Click(&dlg, 1013));
        QCOMPARE(dlg.method(), 2);
        QCOMPARE(EnabledOf(&dlg, {1, 1012, 1013}), QString("111"));
        QVERIFY(Click(&dlg, 1012));
        QCOMPARE(dlg.method(), 1);
        QVERIFY(Click(&dlg, 1));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void aCancelDuringSynthesisStopsItAndKeepsTheDialog() {
        StandInSynthesizer stand_in(dir_->path());
        stand_in.Set(StandInSynthesizer::Behaviour::kHang);
        stand_in.WriteTo(*ini_);
        CSpeechDlg dlg(nullptr, prompter_, *ini_, endpoints_, "火事です。", dir_->path() / "TEMP");
        dlg.show();
        QCOMPARE(Control<QDoubleSpinBox>(&dlg, 1402)->value(), 1.0);
        Control<QDoubleSpinBox>(&dlg, 1402)->setValue(1.5);
        QVERIFY(Click(&dlg, 1));
        QVERIFY(dlg.busy());
        QCOMPARE(EnabledOf(&dlg, {1, 1403, 1402, 2}), QString("0001"));
        QVERIFY(Control<QLabel>(&dlg, 1404)->isVisible());
        // The program has started (it keeps its text) while the dialog handles input.
        QTRY_COMPARE(stand_in.SpokenText(), std::string("火事です。\n"));
        QVERIFY(Click(&dlg, 2));
        QTRY_VERIFY(!dlg.busy());
        QVERIFY(dlg.isVisible());
        QCOMPARE(EnabledOf(&dlg, {1, 1403, 1402, 2}), QString("1111"));
        QVERIFY(prompter_.prompts().empty());
        QVERIFY(!ini_->GetValue("SPEECH", "RATE"));

        // Then spoken: OK closes with the phrase and keeps the changed rate.
        stand_in.Set(StandInSynthesizer::Behaviour::kSpeak);
        QVERIFY(Click(&dlg, 1));
        QTRY_COMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.phrase().length(), 25'640u);
        QCOMPARE(dlg.spoken_text(), std::string("火事です。"));
        QCOMPARE(stand_in.Rate(), std::string("1.50\n"));
        QCOMPARE(ini_->GetValue("SPEECH", "RATE"), std::optional<std::string>("1.50"));
    }

    void deletingAMarkedRangeRewindsAndShowsTheRoundedLength() {
        CWaveFile source = Buffer(32'000, prompter_);  // 2 s
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "02.wav").string(), "編集",
                     source, 8.192, 1);
        dlg.show();
        CWaveForm* view = dlg.view();
        const double scale = 32'000.0 / 401;
        view->TrackButtonDown(view->mapToGlobal(QPoint(100, 50)));
        QCOMPARE(view->selection_state(), 1);
        QCOMPARE(view->cursor_left(), 100);
        view->TrackMouseMove(view->mapToGlobal(QPoint(102, 50)));  // still inside the cursor
        QCOMPARE(view->selection_state(), 1);
        view->TrackButtonUp(view->mapToGlobal(QPoint(102, 50)));
        QCOMPARE(view->selection_state(), 3);  // cleared without a menu

        // A press on the dialog outside the view clears the placed cursor's selection.
        view->TrackButtonDown(view->mapToGlobal(QPoint(50, 50)));
        QCOMPARE(view->selection_state(), 1);
        QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(500, 300));
        QCOMPARE(view->selection_state(), 3);

        view->TrackButtonDown(view->mapToGlobal(QPoint(100, 50)));
        view->TrackMouseMove(view->mapToGlobal(QPoint(200, 50)));
        QCOMPARE(view->selection_state(), 2);
        QVERIFY(Edit(&dlg, 3002)->isVisible());
        QCOMPARE(TextOf(&dlg, 3002),
                 QString::fromStdString(CWaveForm::DurationText(
                     "範囲： ", static_cast<std::uint32_t>(scale * 100 / 160))));
        // The context menu opens; choose "削除" in it.
        bool menu_seen = false;
        QTimer::singleShot(50, [&] {
            if (QMenu* menu = view->context_menu()) {
                menu_seen = menu->title() == "波形編集" && menu->actions().size() == 1 &&
                            menu->actions()[0]->text() == "削除";
                menu->actions()[0]->trigger();
                menu->close();
            }
        });
        view->TrackButtonUp(view->mapToGlobal(QPoint(200, 50)));
        QVERIFY(menu_seen);
        const auto start = static_cast<std::uint32_t>(100 * scale) & ~1u;
        const auto end = static_cast<std::uint32_t>(200 * scale) & ~1u;
        const std::uint32_t remaining = 32'000 - (end - start);
        QCOMPARE(view->sound().length(), remaining - remaining % 40 + 40);
        QCOMPARE(view->cursor_left(), 0);
        QCOMPARE(view->selection_state(), 3);
        QVERIFY(!Edit(&dlg, 3002)->isVisible());
        QCOMPARE(TextOf(&dlg, 3000), QString::fromStdString(CWaveForm::DurationText(
                                         "長さ： ", (remaining - remaining % 40 + 40) / 160)));
    }

    void aOneSecondPhraseAndAReadOnlyViewNeverOpenTheMenu() {
        CWaveFile second = Buffer(16'000, prompter_);
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "02.wav").string(), "編集",
                     second, 8.192, 1);
        dlg.show();
        CWaveForm* view = dlg.view();
        view->TrackButtonDown(view->mapToGlobal(QPoint(10, 50)));
        view->TrackMouseMove(view->mapToGlobal(QPoint(300, 50)));
        QCOMPARE(view->selection_state(), 2);
        view->TrackButtonUp(view->mapToGlobal(QPoint(300, 50)));  // returns: no menu
        QCOMPARE(view->selection_state(), 3);
        QCOMPARE(view->sound().length(), 16'000u);

        second.Save((*dir_ / "03.wav").string(), "x");
        CPlayDlg play(nullptr, prompter_, endpoints_, (*dir_ / "03.wav").string(), "x", false);
        CWaveForm* read_only = play.view();
        read_only->TrackButtonDown(read_only->mapToGlobal(QPoint(100, 50)));
        QCOMPARE(read_only->selection_state(), 0);
        QCOMPARE(read_only->cursor_left(), 0);
    }

    void aClickPastTheEndNeverPlaysBeyondTheLength() {
        CWaveFile source = Buffer(16'000, prompter_);
        CEditDlg dlg(nullptr, prompter_, *ini_, endpoints_, (*dir_ / "02.wav").string(), "編集",
                     source, 8.192, 1);
        dlg.show();
        CWaveForm* view = dlg.view();
        view->TrackButtonDown(view->mapToGlobal(QPoint(404, 50)));
        view->TrackButtonUp(view->mapToGlobal(QPoint(404, 50)));
        QVERIFY(Click(&dlg, 1037));
        device_->Deliver();
        QVERIFY(view->sound().PlayPosition() <= 16'000u);
        device_->PlayOut(16'000);
        device_->Deliver();
        QCOMPARE(dlg.state(), 4);
    }

    void meterLightsSegmentsByThePeak() {
        QWidget parent;
        CMeter meter(&parent, QRect(0, 0, 302, 20));
        for (const auto& [peak, lit] : std::vector<std::pair<std::uint32_t, int>>{
                 {0, 1}, {1092, 1}, {1093, 2}, {22000, 21}, {32767, 30}, {32768, 30}}) {
            meter.SetLevel(peak);
            QCOMPARE(meter.LitCount(), lit);
            QVERIFY(meter.lit(lit - 1));
        }
        meter.SetLevel(22000);
        QCOMPARE(meter.color(19), QColor(0, 255, 0));
        QCOMPARE(meter.color(20), QColor(255, 140, 0));
        QCOMPARE(meter.color(27), QColor(255, 0, 0));
        QCOMPARE(meter.segment_rect(1).left(), 11);  // 1 + i·w with w = 10
        const QImage& picture = meter.surface();
        QCOMPARE(picture.pixelColor(meter.segment_rect(20).center()), QColor(255, 140, 0));
        QCOMPARE(picture.pixelColor(meter.segment_rect(21).center()), QColor(0, 0, 0));
    }

    void recordingSettingsFollowTheJackAndStoreTheDelay() {
        ini_->WriteString("CONFIG", "RECDELAY", "7");
        endpoints_.volume = 0.999f;
        CPeakDlg dlg(nullptr, *ini_, endpoints_);
        dlg.show();
        QCOMPARE(Control<QComboBox>(&dlg, 1103)->currentText(), QString("3"));
        QCOMPARE(TextOf(&dlg, 1105), QString(CPeakDlg::kMicrophoneText));
        dlg.Tick();
        QVERIFY(dlg.monitoring());
        QCOMPARE(Control<QSlider>(&dlg, 1058)->value(), 99);
        QVERIFY(endpoints_.set_volumes.empty());  // the tick does not write the volume back
        CMeter* meter = dlg.meter();
        QVERIFY(meter != nullptr);
        QCOMPARE(meter->geometry(),
                 Control<QWidget>(&dlg, 1060)->geometry().adjusted(3, 3, -3, -3));

        // The monitor's buffers feed the meter.
        device_->Deliver();
        std::vector<std::uint8_t> loud(1600, 0);
        loud[0] = 0x00;
        loud[1] = 0x80;  // -32768
        device_->Capture(loud);
        device_->Deliver();
        QCOMPARE(meter->LitCount(), 30);

        endpoints_.jack = false;
        dlg.Tick();
        QCOMPARE(TextOf(&dlg, 1105), QString(CPeakDlg::kNoSourceText));
        QVERIFY(!dlg.monitoring());
        QCOMPARE(Control<QSlider>(&dlg, 1058)->value(), 0);
        QVERIFY(device_->input()->closed);  // the capture of the vanished device is closed
        endpoints_.jack = true;
        endpoints_.line = true;
        dlg.Tick();
        QCOMPARE(TextOf(&dlg, 1105), QString(CPeakDlg::kLineText));
        QVERIFY(dlg.monitoring());
        QCOMPARE(dlg.meter(), meter);  // the one meter is reused
        QCOMPARE(device_->inputs_opened(), 2);

        Control<QSlider>(&dlg, 1058)->setValue(42);
        QCOMPARE(endpoints_.set_volumes, std::vector<float>{0.42f});

        QCOMPARE(ini_->GetString("CONFIG", "RECDELAY", ""), std::string("7"));
        Control<QComboBox>(&dlg, 1103)->setCurrentIndex(3);
        QVERIFY(Click(&dlg, 8));
        QCOMPARE(ini_->GetString("CONFIG", "RECDELAY", ""), std::string("3"));
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::AudioDialogsTest)
#include "AudioDialogsTest.moc"
