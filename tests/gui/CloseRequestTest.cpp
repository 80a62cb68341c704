// SPDX-License-Identifier: GPL-3.0-or-later
// Close requests from the window system (the title bar's close box, Alt+F4 under a window
// manager) in every dialog: the dialog's cancel in its current state, and nothing while its
// cancel button is disabled - recording, playing back, counting down, transferring. The
// recording settings have no cancel: there a close request is their "閉じる".
#include <QComboBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "DeviceFixture.h"
#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "app/AboutDlg.h"
#include "audio/EditDlg.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/RecDlg.h"
#include "audio/SelMeanDlg.h"
#include "audio/WaveForm.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/MaintenanceOperationsDlg.h"
#include "store/NewObjDlg.h"
#include "store/SearchDlg.h"
#include "store/SetWorkDlg.h"

namespace kotar::test {
namespace {

// Asks a window to close the way the window system does; true when it closed.
bool CloseRequest(QWidget* window) {
    return window->close() && !window->isVisible();
}

}  // namespace

class CloseRequestTest : public QObject {
    Q_OBJECT

private:
    FakeWaveDevice* device_ = nullptr;
    std::unique_ptr<DeviceFixture> fixture_;
    FakeEndpoints endpoints_;
    SlotList slots_;

    ScriptedPrompter& prompter() { return fixture_->prompter; }
    ProfileFile& ini() { return fixture_->ini; }
    std::string Path(const std::string& name) const { return (fixture_->temp / name).string(); }

    std::unique_ptr<CRecDlg> RecDlg(int delay) {
        ini().WriteInt("CONFIG", "RECDELAY", delay);
        auto dialog = std::make_unique<CRecDlg>(nullptr, prompter(), ini(), endpoints_,
                                                Path("01.wav"), "テスト", 8.192, 0);
        dialog->set_countdown_wait([](int) {});
        dialog->show();
        return dialog;
    }
    // One second of sound saved as 03.wav, and the same in a buffer.
    CWaveFile Phrase() {
        CWaveFile buffer(kFormatPcm, 1, 8000, 16, 16'000, prompter());
        buffer.set_length(16'000);
        buffer.Save(Path("03.wav"), "再生");
        return buffer;
    }

private Q_SLOTS:
    void init() {
        device_ = new FakeWaveDevice;
        SetDefaultWaveDevice(device_);
        fixture_ = std::make_unique<DeviceFixture>();
    }
    void cleanup() {
        fixture_.reset();
        SetDefaultWaveDevice(nullptr);
        delete device_;
    }

    void aCloseRequestQueuedDuringTheCountdownIsIgnoredAndTheRecordingRuns() {
        auto dialog = RecDlg(2);
        CRecDlg* raw = dialog.get();
        int refused = 0;
        raw->set_countdown_wait([&](int) {
            // Delivered when the countdown's queued events are processed, before the recording.
            QMetaObject::invokeMethod(
                raw, [&] { refused += CloseRequest(raw) ? 100 : 1; }, Qt::QueuedConnection);
        });
        QVERIFY(Click(raw, 1027));
        QCOMPARE(refused, 2);
        QCOMPARE(raw->state(), 1);
        QCOMPARE(device_->inputs_opened(), 1);
        device_->Deliver();
        device_->CaptureSilence(8'000);
        QVERIFY(Click(raw, 1028));
        device_->Deliver();
        QCOMPARE(raw->view()->sound().length(), 8'040u);

        // Then with a take: asked like cancel, kept on No.
        prompter().AnswerNextMessage(MessageAnswer::No);
        QVERIFY(!CloseRequest(raw));
        QCOMPARE(prompter().MessageIds(), std::vector<int>{105});
        QCOMPARE(raw->view()->sound().length(), 8'040u);
    }

    void closeRequestsAndEscapeAreIgnoredWhileRecordingOrPlaying() {
        auto recording = RecDlg(0);
        QVERIFY(Click(recording.get(), 1027));
        const CWaveFile phrase = Phrase();
        CEditDlg edit(nullptr, prompter(), ini(), endpoints_, Path("02.wav"), "編集", phrase, 8.192,
                      1);
        CPlayDlg play(nullptr, prompter(), endpoints_, Path("03.wav"), "再生", false);
        QVERIFY(Click(&edit, 1037) && Click(&play, 1031));
        for (PhraseDialog* dialog :
             std::initializer_list<PhraseDialog*>{recording.get(), &edit, &play}) {
            dialog->show();
            const int state = dialog->state();
            QVERIFY(state == 1 || state == 2);
            QVERIFY(!CloseRequest(dialog));
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible() && dialog->state() == state);
        }
        QVERIFY(prompter().prompts().empty());
    }

    void aCloseRequestWhenIdleIsTheDialogsCancel() {
        const CWaveFile phrase = Phrase();
        const auto with = [](auto dialog, const std::function<void(QDialog*)>& change) {
            change(dialog.get());
            return std::unique_ptr<QDialog>(std::move(dialog));
        };
        const auto combo_to = [](int id, int index) {
            return [id, index](QDialog* d) { Control<QComboBox>(d, id)->setCurrentIndex(index); };
        };
        struct Row {
            const char* name;
            std::function<std::unique_ptr<QDialog>()> make;
            std::vector<int> asked = {};  // the cancel's questions, answered Yes
        };
        const Row rows[]{
            {"new property", [&] { return std::make_unique<CNewObjDlg>(prompter()); }},
            {"property selection", [&] { return std::make_unique<CSearchDlg>(prompter()); }},
            {"work folder", [&] { return std::make_unique<CSetWorkDlg>(prompter()); }},
            {"creation method",
             [&] {
                 return with(std::make_unique<CSelMeanDlg>(nullptr, "テスト"),
                             [](QDialog* d) { Click(d, 1013); });
             }},
            {"recording", [&] { return RecDlg(0); }},
            {"edit",
             [&] {
                 return std::make_unique<CEditDlg>(nullptr, prompter(), ini(), endpoints_,
                                                   Path("02.wav"), "編集", phrase, 8.192, 1);
             },
             {105}},
            {"play",
             [&] {
                 return std::make_unique<CPlayDlg>(nullptr, prompter(), endpoints_, Path("03.wav"),
                                                   "再生", false);
             }},
            {"port settings",
             [&] {
                 return with(std::make_unique<CPortSetDlg>(
                                 ini(), std::vector<std::string>{"A (COM3)", "B (COM5)"}),
                             combo_to(1104, 1));
             }},
            {"write/read",
             [&] {
                 return std::make_unique<CAudioFileTransferDlg>(ini(), prompter(), "現場", 0,
                                                                slots_);
             }},
            {"maintenance",
             [&] { return std::make_unique<CMaintenanceOperationsDlg>(ini(), prompter()); }},
            {"version", [&] { return std::make_unique<CAboutDlg>(); }},
        };
        for (const Row& row : rows) {
            prompter().Clear();
            for (std::size_t i = 0; i < row.asked.size(); ++i)
                prompter().AnswerNextMessage(MessageAnswer::Yes);
            std::unique_ptr<QDialog> dialog = row.make();
            dialog->show();
            QVERIFY2(CloseRequest(dialog.get()), row.name);
            QVERIFY2(dialog->result() == QDialog::Rejected, row.name);
            QVERIFY2(prompter().MessageIds() == row.asked, row.name);
        }
        // Closing is cancelling: the port was not stored, nothing saved.
        QCOMPARE(ini().GetInt("CONFIG", "PORT", 0), 12u);
        QVERIFY(!std::filesystem::exists(Path("02.wav")));
    }

    void theRecordingSettingsStoreTheDelayOnACloseRequestAsItsCloseButtonDoes() {
        ini().WriteInt("CONFIG", "RECDELAY", 2);
        CPeakDlg dialog(nullptr, ini(), endpoints_);
        dialog.show();
        Control<QComboBox>(&dialog, 1103)->setCurrentIndex(5);
        QVERIFY(CloseRequest(&dialog));
        QCOMPARE(ini().GetInt("CONFIG", "RECDELAY", 0), 5u);
    }

    void closeRequestsAreIgnoredWhileATransferRuns_data() {
        QTest::addColumn<bool>("maintenance");
        QTest::addColumn<QString>("done");
        QTest::newRow("write/read") << false << QStringLiteral("不定フレーズ読込成功");
        QTest::newRow("maintenance") << true << QStringLiteral("データ読込成功");
    }
    void closeRequestsAreIgnoredWhileATransferRuns() {
        QFETCH(bool, maintenance);
        QFETCH(QString, done);
        std::unique_ptr<QDialog> dialog;
        if (maintenance) {
            auto made = std::make_unique<CMaintenanceOperationsDlg>(ini(), prompter());
            made->SetLinkEnvironment(fixture_->environment);
            dialog = std::move(made);
        } else {
            auto made =
                std::make_unique<CAudioFileTransferDlg>(ini(), prompter(), "現場", 1, slots_);
            made->SetLinkEnvironment(fixture_->environment);
            dialog = std::move(made);
        }
        dialog->show();
        int requests = 0;
        bool closed = false;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (Control<QProgressBar>(dialog.get(), 1077)->value() >= 20 && requests < 3) {
                ++requests;
                closed = closed || CloseRequest(dialog.get());
            }
        });
        timer.start();
        const std::string file = Path(maintenance ? "read.log" : "read.snd");
        prompter().AnswerNextDialog(file);
        QVERIFY(Click(dialog.get(), maintenance ? 1106 : 1121));
        QCOMPARE(requests, 3);
        QVERIFY(!closed);
        QCOMPARE(TextOf(dialog.get(), maintenance ? 1078 : 1001), done);
        QVERIFY(std::filesystem::exists(file));
        QVERIFY(CloseRequest(dialog.get()));  // idle again
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::CloseRequestTest)
#include "CloseRequestTest.moc"
