// Close requests from the window system (the title bar's close box, Alt+F4 under a window
// manager) in every dialog: the dialog's cancel in its current state, and nothing while its
// cancel button is disabled - recording, playing back, counting down, transferring.
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

// A second of a quiet ramp in the recording format.
CWaveFile OneSecond(Prompter& prompter) {
    CWaveFile buffer(kFormatPcm, 1, 8000, 16, 16'000, prompter);
    for (std::uint32_t i = 0; i < 16'000; i += 2)
        buffer.data()[i] = static_cast<std::uint8_t>(1 + (i / 2) % 100);
    buffer.set_length(16'000);
    return buffer;
}

// Asks a window to close the way the window system does, and tells whether it closed.
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
    std::string Path(const char* name) const { return (fixture_->temp / name).string(); }

    std::unique_ptr<CRecDlg> RecDlg(int delay) {
        ini().WriteInt("CONFIG", "RECDELAY", delay);
        auto dialog = std::make_unique<CRecDlg>(nullptr, prompter(), ini(), endpoints_,
                                                Path("01.wav"), "テスト", 8.192, 0);
        dialog->set_countdown_wait([](int) {});
        dialog->show();
        return dialog;
    }
    void Record(CRecDlg& dialog) {
        QVERIFY(Click(&dialog, 1027));
        device_->Deliver();
        device_->CaptureSilence(8'000);
        QVERIFY(Click(&dialog, 1028));
        device_->Deliver();
        QCOMPARE(dialog.state(), 4);
    }

private Q_SLOTS:
    void init() {
        device_ = new FakeWaveDevice;
        SetDefaultWaveDevice(device_);
        fixture_ = std::make_unique<DeviceFixture>();
        endpoints_ = FakeEndpoints{};
        slots_.clear();
    }
    void cleanup() {
        fixture_.reset();
        SetDefaultWaveDevice(nullptr);
        delete device_;
    }

    void aCloseRequestQueuedDuringTheCountdownIsIgnoredAndTheRecordingRuns() {
        auto dialog = RecDlg(2);
        CRecDlg* raw = dialog.get();
        int closes_delivered = 0;
        raw->set_countdown_wait([&](int) {
            // Delivered when the countdown's queued events are processed, before the recording.
            QMetaObject::invokeMethod(
                raw, [raw, &closes_delivered] { closes_delivered += raw->close() ? 10 : 1; },
                Qt::QueuedConnection);
        });
        QVERIFY(Click(raw, 1027));
        QCOMPARE(closes_delivered, 2);
        QVERIFY(raw->isVisible());
        QCOMPARE(raw->state(), 1);
        QVERIFY(raw->view() != nullptr);
        QCOMPARE(device_->inputs_opened(), 1);
        QVERIFY(prompter().prompts().empty());

        device_->Deliver();
        device_->CaptureSilence(8'000);
        QVERIFY(Click(raw, 1028));
        device_->Deliver();
        QCOMPARE(raw->state(), 4);
        QCOMPARE(raw->view()->sound().length(), 8'040u);
    }

    void aCloseRequestOnATakeAsks105LikeCancel() {
        auto dialog = RecDlg(0);
        Record(*dialog);
        prompter().AnswerNextMessage(MessageAnswer::No);
        QVERIFY(!CloseRequest(dialog.get()));
        QCOMPARE(prompter().MessageIds(), std::vector<int>{105});
        QCOMPARE(dialog->view()->sound().length(), 8'040u);
        prompter().AnswerNextMessage(MessageAnswer::Yes);
        QVERIFY(CloseRequest(dialog.get()));
        QCOMPARE(prompter().MessageIds(), (std::vector<int>{105, 105}));
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!std::filesystem::exists(Path("01.wav")));
    }

    void closeRequestsAreIgnoredWhileRecordingOrPlayingBack() {
        auto recording = RecDlg(0);
        QVERIFY(Click(recording.get(), 1027));
        QVERIFY(!CloseRequest(recording.get()));
        QCOMPARE(recording->state(), 1);
        device_->Deliver();
        device_->CaptureSilence(8'000);
        QVERIFY(Click(recording.get(), 1028));
        device_->Deliver();
        // Playing back the take, and paused.
        QVERIFY(Click(recording.get(), 1029));
        QVERIFY(!CloseRequest(recording.get()));
        device_->Deliver();
        QVERIFY(Click(recording.get(), 1030));
        device_->Deliver();
        QCOMPARE(recording->state(), 3);
        QVERIFY(!CloseRequest(recording.get()));

        const CWaveFile second = OneSecond(prompter());
        CEditDlg edit(nullptr, prompter(), endpoints_, Path("02.wav"), "編集", second, 8.192, 1);
        edit.show();
        QVERIFY(second.Save(Path("03.wav"), "再生") == 1);
        CPlayDlg play(nullptr, prompter(), endpoints_, Path("03.wav"), "再生", false);
        play.show();
        for (PhraseDialog* dialog : std::initializer_list<PhraseDialog*>{&edit, &play}) {
            QVERIFY(Click(dialog, dialog == &edit ? 1037 : 1031));
            QCOMPARE(dialog->state(), 2);
            QVERIFY(!CloseRequest(dialog));
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->state(), 2);
        }
        QVERIFY(prompter().prompts().empty());
        QVERIFY(recording->view() != nullptr && edit.view() != nullptr && play.view() != nullptr);
    }

    void aCloseRequestWhenIdleIsTheDialogsCancel() {
        std::filesystem::create_directories(fixture_->work() / "TR_現場");
        const CWaveFile second = OneSecond(prompter());
        QVERIFY(second.Save(Path("03.wav"), "再生") == 1);
        struct Row {
            const char* name;
            std::function<std::unique_ptr<QDialog>()> make;
            std::vector<int> asked;  // the cancel's questions, answered Yes
        };
        const Row rows[] = {
            {"new property", [&] { return std::make_unique<CNewObjDlg>(prompter()); }, {}},
            {"property selection",
             [&] {
                 auto dialog = std::make_unique<CSearchDlg>(prompter());
                 dialog->SetWorkFolder(fixture_->work().string());
                 return dialog;
             },
             {}},
            {"work folder", [&] { return std::make_unique<CSetWorkDlg>(prompter()); }, {}},
            {"creation method",
             [&] {
                 auto dialog = std::make_unique<CSelMeanDlg>(nullptr, "テスト");
                 Click(dialog.get(), 1013);
                 return dialog;
             },
             {}},
            {"recording", [&] { return RecDlg(0); }, {}},
            {"edit",
             [&] {
                 return std::make_unique<CEditDlg>(nullptr, prompter(), endpoints_, Path("02.wav"),
                                                   "編集", second, 8.192, 1);
             },
             {105}},
            {"play",
             [&] {
                 return std::make_unique<CPlayDlg>(nullptr, prompter(), endpoints_, Path("03.wav"),
                                                   "再生", false);
             },
             {}},
            {"recording settings",
             [&] {
                 ini().WriteInt("CONFIG", "RECDELAY", 2);
                 auto dialog = std::make_unique<CPeakDlg>(nullptr, ini(), endpoints_);
                 Control<QComboBox>(dialog.get(), 1103)->setCurrentIndex(5);
                 return dialog;
             },
             {}},
            {"port settings",
             [&] {
                 auto dialog = std::make_unique<CPortSetDlg>(
                     ini(), std::vector<std::string>{"A (COM3)", "B (COM5)"});
                 Control<QComboBox>(dialog.get(), 1104)->setCurrentIndex(1);
                 return dialog;
             },
             {}},
            {"write/read",
             [&] {
                 return std::make_unique<CAudioFileTransferDlg>(ini(), prompter(), "現場", 0,
                                                                slots_);
             },
             {}},
            {"maintenance",
             [&] { return std::make_unique<CMaintenanceOperationsDlg>(ini(), prompter()); },
             {}},
            {"version", [&] { return std::make_unique<CAboutDlg>(); }, {}},
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
        // Closing is cancelling: neither the delay nor the port was stored.
        QCOMPARE(ini().GetInt("CONFIG", "RECDELAY", 0), 2u);
        QCOMPARE(ini().GetInt("CONFIG", "PORT", 0), 12u);
        QVERIFY(!std::filesystem::exists(Path("02.wav")));
    }

    void closeRequestsAreIgnoredWhileATransferRuns_data() {
        QTest::addColumn<bool>("maintenance");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("done");
        QTest::newRow("write/read")
            << false << "read.snd" << QStringLiteral("不定フレーズ読込成功");
        QTest::newRow("maintenance") << true << "read.log" << QStringLiteral("データ読込成功");
    }
    void closeRequestsAreIgnoredWhileATransferRuns() {
        QFETCH(bool, maintenance);
        QFETCH(QString, file);
        QFETCH(QString, done);
        const std::string path = (fixture_->temp / file.toStdString()).string();
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
            if (Control<QProgressBar>(dialog.get(), 1077)->value() < 20 || requests == 3)
                return;
            ++requests;
            closed = closed || CloseRequest(dialog.get());
        });
        timer.start();
        prompter().AnswerNextDialog(path);
        QVERIFY(Click(dialog.get(), maintenance ? 1106 : 1121));
        timer.stop();
        QCOMPARE(requests, 3);
        QVERIFY(!closed);
        QCOMPARE(TextOf(dialog.get(), maintenance ? 1078 : 1001), done);
        QVERIFY(std::filesystem::exists(path));
        // Idle again: a close request closes.
        QVERIFY(CloseRequest(dialog.get()));
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::CloseRequestTest)
#include "CloseRequestTest.moc"
