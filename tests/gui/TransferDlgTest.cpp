// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase write/read dialog and the port settings dialog, driven through their controls
// against the simulated device (in process, and on a pseudo-terminal for a write and read, the
// port open error and the input discarded during a transfer); the main window's commands that
// open the device dialogs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "TransferFixture.h"
#include "app/KOTARDlg.h"
#include "audio/Endpoints.h"
#include "audio/WaveDevice.h"
#include "common/Messages.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/PhraseTransfer.h"
#include "store/DiskSpace.h"
#include "ui/UserInputDiscarder.h"

namespace fs = std::filesystem;
using kotar::CAudioFileTransferDlg;
using kotar::MessageIcon;
using kotar::devsim::DeviceFault;
using kotar::devsim::FaultRule;
using kotar::test::Button;
using kotar::test::Bytes;
using kotar::test::Click;
using kotar::test::DeviceFixture;
using kotar::test::IsEnabled;
using kotar::test::Pattern;
using kotar::test::ReadBytes;
using kotar::test::ScriptedPrompter;
using kotar::test::TextOf;
using kotar::test::TransferFixture;
using kotar::test::WriteBytes;
using Kind = ScriptedPrompter::Prompt::Kind;

namespace {

// A sound server with an output device.
class SoundEndpoints : public kotar::AudioEndpoints {
public:
    bool OutputDeviceExists() override { return true; }
    bool InputJackType(kotar::EndpointGuid&) override { return false; }
    bool InputVolume(float&) override { return false; }
    bool SetVolume(float) override { return false; }
};

class FakeSpace : public kotar::FreeSpaceSource {
public:
    std::optional<kotar::DiskSpace> Query(const fs::path&) override {
        return kotar::DiskSpace{1ull << 40, 1ull << 39, 1ull << 39};
    }
};

}  // namespace

class TransferDlgTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void Opening_ShowsHeaderModeLabelAndEnablesByTheRule() {
        TransferFixture f(4, {"前半", "後半", ""});
        QVERIFY(f.opened);
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("書込／読込"));
        QCOMPARE(TextOf(f.dialog.get(), 1081), QStringLiteral("物件名称：現場"));
        QCOMPARE(TextOf(f.dialog.get(), 1122), QStringLiteral("音声データＡ＋Ｂ（個別）"));
        for (int id : {2, 1025, 1121, 1116, 1117})
            QVERIFY(IsEnabled(f.dialog.get(), id));
        for (int id : {1118, 1119, 1120})
            QVERIFY(!IsEnabled(f.dialog.get(), id));
        QCOMPARE(f.Status(), QString());

        TransferFixture none(0, {"", "", ""});
        QCOMPARE(TextOf(none.dialog.get(), 1122), QStringLiteral("音声データなし"));
        QVERIFY(!IsEnabled(none.dialog.get(), 1116));
        QVERIFY(!IsEnabled(none.dialog.get(), 1117));
        QVERIFY(IsEnabled(none.dialog.get(), 1121));
    }

    void WriteCreated_BuildsOnceAndPutsTheFileIntoTheDevice() {
        TransferFixture f(1);
        QVERIFY(Click(f.dialog.get(), 1117));
        const fs::path created = f.property() / "01.snd";
        QCOMPARE(f.dialog->created_file_path(), created.string());
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ書込成功"));
        const Bytes file = ReadBytes(created);
        QCOMPARE(file.size(), kotar::kPhraseFileBytes);
        QVERIFY(file != Bytes(kotar::kPhraseFileBytes, 0xFF));  // the phrase is in it
        QVERIFY(f.DevicePhrases() == file);
        QCOMPARE(f.Progress()->maximum(), 129);
        QCOMPARE(f.Progress()->value(), 129);

        // The second press sends what this dialog built, without making it again, also when
        // another writer has replaced the file meanwhile; the check compares with those bytes.
        WriteBytes(created, Pattern(kotar::kPhraseFileBytes, 5));
        QVERIFY(Click(f.dialog.get(), 1131));
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 書込完了（照合一致）"));
        QCOMPARE(f.model.requests_received(), 130 + 130 + 130);
        QVERIFY(f.DevicePhrases() == file);
        QVERIFY(f.prompter.prompts().empty());
    }

    void WriteCreated_IntoThePropertyFolderWhateverTheCaseOfItsPrefix() {
        TransferFixture f(1);
        const fs::path lower = f.work() / kotar::PathFromUtf8("tr_現場");
        // By way of another name: Wine keeps a name that only changes its letter case as it was.
        fs::rename(f.property(), f.work() / "moving");
        fs::rename(f.work() / "moving", lower);
        f.slots[0].wav_path = (lower / "01.wav").string();
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(QString::fromStdString(f.dialog->created_file_path()),
                 QString::fromStdString((lower / "01.snd").string()));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ書込成功"));
        QVERIFY(f.DevicePhrases() == ReadBytes(lower / "01.snd"));
    }

    void WriteCreated_AfterAFailedBuildUsesNoOlderFileAndBuildsAgain() {
        TransferFixture f(1);
        const fs::path created = f.property() / "01.snd";
        const Bytes stale = Pattern(kotar::kPhraseFileBytes, 9);
        WriteBytes(created, stale);
        fs::remove(f.property() / "01.wav");  // the slot's text is there, its file is not

        QVERIFY(Click(f.dialog.get(), 1117));
        QVERIFY(f.Messages() >= 1);  // the conversion reported the missing file
        QCOMPARE(f.dialog->created_file_path(), std::string());
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズファイル読込エラー"));
        QCOMPARE(f.model.requests_received(), 0);
        QVERIFY(ReadBytes(created) == stale);

        kotar::test::WriteSlotWav(f.property() / "01.wav", "前半", 4000);
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ書込成功"));
        QVERIFY(ReadBytes(created) != stale);
        QVERIFY(f.DevicePhrases() == ReadBytes(created));
    }

    void ChosenFile_WriteThenReadBack_DeviceAndFileEqual() {
        TransferFixture f(1, {"前半", "", ""}, kotar::test::DeviceLink::PseudoTerminal);
        KOTAR_SKIP_WITHOUT_PORT_DEVICE(f);
        const Bytes phrase = Pattern(kotar::kPhraseFileBytes, 1);
        WriteBytes(f.temp / "chosen.snd", phrase);
        f.Choose(f.temp / "chosen.snd");
        const auto& request = f.prompter.prompts().back().file;
        QCOMPARE(request.filter, std::string("SND(*.snd)|*.snd||"));
        QCOMPARE(request.initial_name, std::string("*.snd"));
        QCOMPARE(TextOf(f.dialog.get(), 1123),
                 QString::fromStdString((f.temp / "chosen.snd").string()));
        QVERIFY(IsEnabled(f.dialog.get(), 1118) && IsEnabled(f.dialog.get(), 1119));

        kotar::test::TextRecorder writes(kotar::test::Edit(f.dialog.get(), 1001));
        QVERIFY(Click(f.dialog.get(), 1119));
        QCOMPARE(writes.texts, (QStringList{"不定フレーズ 書込中", "不定フレーズ書込成功"}));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ書込成功"));
        QVERIFY(f.DevicePhrases() == phrase);

        f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
        kotar::test::TextRecorder reads(kotar::test::Edit(f.dialog.get(), 1001));
        QVERIFY(Click(f.dialog.get(), 1121));
        QCOMPARE(reads.texts, (QStringList{"不定フレーズ 読込中", "不定フレーズ読込成功"}));
        const auto& save = f.prompter.prompts().back();
        QVERIFY(save.kind == Kind::SaveFile);
        QCOMPARE(save.file.default_extension, std::string("snd"));
        QVERIFY(save.file.prompt_overwrite);
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ読込成功"));
        QVERIFY(ReadBytes(f.temp / "back.snd") == phrase);
        QCOMPARE(f.Progress()->value(), 129);
        QVERIFY(IsEnabled(f.dialog.get(), 1120));
        QCOMPARE(f.dialog->read_back_file_path(), (f.temp / "back.snd").string());
    }

    void Browse_AnotherExtensionKeepsTheSelection_UpperCaseSndIsAccepted() {
        TransferFixture f(1);
        WriteBytes(f.temp / "a.snd", Pattern(kotar::kPhraseFileBytes, 1));
        WriteBytes(f.temp / "B.SND", Pattern(kotar::kPhraseFileBytes, 2));
        WriteBytes(f.temp / "c.wav", Pattern(kotar::kPhraseFileBytes, 3));
        f.Choose(f.temp / "a.snd");
        f.Choose(f.temp / "c.wav");
        const auto& box = f.prompter.prompts().back().message;
        QCOMPARE(
            box.text,
            std::string("指定した形式のファイルは書き込めません。\nファイルを確認してください。"));
        QCOMPARE(box.caption, std::string("書込ファイル確認"));
        QVERIFY(box.icon == MessageIcon::Information);
        QCOMPARE(f.dialog->selected_file_path(), (f.temp / "a.snd").string());
        f.Choose(f.temp / "sndfile");
        QCOMPARE(f.dialog->selected_file_path(), (f.temp / "a.snd").string());
        f.Choose(f.temp / "B.SND");
        QCOMPARE(f.dialog->selected_file_path(), (f.temp / "B.SND").string());
        // A cancelled choice changes nothing.
        f.prompter.AnswerNextDialog(std::nullopt);
        QVERIFY(Click(f.dialog.get(), 1025));
        QCOMPARE(f.dialog->selected_file_path(), (f.temp / "B.SND").string());
    }

    void WrongSizedFiles_AreRefusedByWriteAndPlayWithoutOpeningThePort() {
        TransferFixture f(1);
        for (std::size_t size : {kotar::kPhraseFileBytes - 1, kotar::kPhraseFileBytes + 1}) {
            const fs::path file = f.temp / ("size" + std::to_string(size) + ".snd");
            WriteBytes(file, Bytes(size, 0x12));
            f.Choose(file);
            QVERIFY(Click(f.dialog.get(), 1119));
            QCOMPARE(f.Status(), QStringLiteral("不定フレーズファイル読込エラー"));
            QVERIFY(Click(f.dialog.get(), 1118));
            const auto& box = f.prompter.prompts().back().message;
            QCOMPARE(box.text,
                     std::string("再生用データの作成に失敗しました。\nファイルのパスを確認"
                                 "してください。"));
            QCOMPARE(box.caption, std::string("再生確認"));
            QVERIFY(box.icon == MessageIcon::Information);
        }
        QCOMPARE(f.line->opens, 0);
        QCOMPARE(f.model.requests_received(), 0);
        QCOMPARE(f.Log(), (std::vector<std::string>{"不定フレーズファイル読込エラー",
                                                    "不定フレーズファイル読込エラー"}));
    }

    void FailureStatuses_OneForEveryWayTheDeviceFails() {
        struct Case {
            bool write;
            FaultRule rule;
            const char* status;
        };
        const Case cases[] = {
            {true, {DeviceFault::StaysSilent, 0, 9000}, "不定フレーズ 書込失敗（応答無し）"},
            {true,
             {DeviceFault::ReportsBlockError, 0, 9001, 3},
             "不定フレーズ 書込失敗（応答結果異常）"},
            {true, {DeviceFault::RefusesChecksum}, "不定フレーズ 書込失敗（応答結果異常）"},
            {false, {DeviceFault::StaysSilent, 0, 9012}, "不定フレーズ 読込失敗（応答無し）"},
            {false,
             {DeviceFault::EchoesWrongBlockNumber, 0, 9011, 2},
             "不定フレーズ 読込失敗（応答結果異常）"},
        };
        for (const Case& c : cases) {
            TransferFixture f(1);
            f.model.AddFault(c.rule);
            WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 4));
            f.Choose(f.temp / "p.snd");
            f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
            QVERIFY(Click(f.dialog.get(), c.write ? 1119 : 1121));
            QCOMPARE(f.Status(), QString::fromUtf8(c.status));
            QVERIFY(IsEnabled(f.dialog.get(), 1119) && IsEnabled(f.dialog.get(), 2));
        }
    }

    void PulledCable_StatusSaysTheLineWasCut() {
        for (const bool write : {true, false}) {
            TransferFixture f(1);
            f.model.AddFault({DeviceFault::Vanishes, 1, write ? 9001 : 9011, 3});
            WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 4));
            f.Choose(f.temp / "p.snd");
            f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
            QVERIFY(Click(f.dialog.get(), write ? 1119 : 1121));
            QCOMPARE(f.Status(), write ? QStringLiteral("不定フレーズ 書込失敗（回線切断）")
                                       : QStringLiteral("不定フレーズ 読込失敗（回線切断）"));
            QCOMPARE(f.Log(),
                     std::vector<std::string>{write ? "不定フレーズ書込 通信エラー 回線切断"
                                                    : "不定フレーズ読込 通信エラー 回線切断"});
            QVERIFY(!f.line->is_open && IsEnabled(f.dialog.get(), 2));
        }
    }

    void VerifyMismatch_IsAlsoToldInAMessageBox() {
        TransferFixture f(1);
        QVERIFY(Click(f.dialog.get(), 1131));
        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 6));
        f.Choose(f.temp / "p.snd");
        f.model.AddFault({DeviceFault::CorruptsStoredByte, 0, 0, 0, 0, 0x2B});
        QVERIFY(Click(f.dialog.get(), 1119));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 照合失敗（不一致）"));
        QCOMPARE(f.Messages(), 1);
        const auto& box = f.prompter.prompts().back().message;
        QCOMPARE(
            box.text,
            std::string("書込後の照合で、ＲＯＭパックの不定フレーズが書き込んだデータと一致"
                        "しませんでした。\n書込は失敗しています。もう一度書き込んでください。"));
        QCOMPARE(box.caption, std::string("照合結果"));
        QVERIFY(box.icon == MessageIcon::Exclamation);
    }

    void PortThatCannotBeOpened_ShowsTheOpenError() {
        TransferFixture f(1, {"前半", "", ""}, kotar::test::DeviceLink::PseudoTerminal);
        f.ini.WriteInt("CONFIG", "PORT", 13);
        f.ini.WriteString("PORTS", "COM13", (f.temp / "no-such-port").string());
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(f.Status(), QStringLiteral("COMポートオープンエラー"));
        f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
        QVERIFY(Click(f.dialog.get(), 1121));
        QCOMPARE(f.Status(), QStringLiteral("COMポートオープンエラー"));
        QVERIFY(!fs::exists(f.temp / "back.snd"));

        // A port the user may not open says so; the log line stays the open error.
        TransferFixture g(1);
        g.line->open_fails = true;
        g.line->open_denied = true;
        QVERIFY(Click(g.dialog.get(), 1117));
        QCOMPARE(
            g.Status(),
            QStringLiteral("COMポートオープンエラー "
                           "ポートを開く権限がありません（dialout グループへの追加が必要です）"));
        QCOMPARE(g.Log(),
                 std::vector<std::string>{"COMポートオープンエラー " + (g.temp / "port").string()});
    }

    void ReadBack_IntoAFolderWithAJapaneseName() {
        TransferFixture f(1);
        const fs::path back = f.temp / "読込" / "back.snd";
        fs::create_directories(back.parent_path());
        f.prompter.AnswerNextDialog(kotar::PathToUtf8(back));
        QVERIFY(Click(f.dialog.get(), 1121));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ読込成功"));
        QVERIFY(ReadBytes(back) == f.DevicePhrases());
        QCOMPARE(f.dialog->read_back_file_path(), kotar::PathToUtf8(back));
    }

    void ReadFailingAtBlock100_LeavesTheChosenFileAndPlayOfReadBackAsTheyWere() {
        TransferFixture f(1);
        const Bytes earlier = Pattern(kotar::kPhraseFileBytes, 8);
        WriteBytes(f.temp / "back.snd", earlier);
        f.model.AddFault({DeviceFault::EchoesWrongBlockNumber, 1, 9011, 100});
        f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
        QVERIFY(Click(f.dialog.get(), 1121));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 読込失敗（応答結果異常）"));
        QCOMPARE(f.Progress()->value(), 100);
        QVERIFY(ReadBytes(f.temp / "back.snd") == earlier);
        QVERIFY(!IsEnabled(f.dialog.get(), 1120));

        // A read-back file that cannot be created.
        f.prompter.AnswerNextDialog((f.temp / "missing" / "x.snd").string());
        QVERIFY(Click(f.dialog.get(), 1121));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズファイル書込エラー"));
        QVERIFY(f.Log().back() == "不定フレーズファイル書込エラー");
        QVERIFY(!IsEnabled(f.dialog.get(), 1120));
    }

    void Play_MakesPlayUlwAPlayableWavWithTheCaption() {
        TransferFixture f(1);
        std::vector<std::pair<std::string, std::string>> played;
        Bytes wav;
        f.dialog->SetPlayer([&](QWidget*, const std::string& file, const std::string& text) {
            played.emplace_back(file, text);
            wav = ReadBytes(file);  // the file lives while the play dialog is open
        });
        QVERIFY(Click(f.dialog.get(), 1116));
        QCOMPARE(played.size(), std::size_t{1});
        // play.ulw in a scratch folder of this play under the work folder's TEMP, gone after it.
        const fs::path play = played[0].first;
        QCOMPARE(play.filename().string(), std::string("play.ulw"));
        QCOMPARE(play.parent_path().parent_path(), f.work() / "TEMP");
        QVERIFY(!fs::exists(play.parent_path()));
        QCOMPARE(played[0].second, std::string("音声データＡ"));
        QVERIFY(wav.size() > 44);
        QCOMPARE(std::string(wav.begin(), wav.begin() + 4), std::string("RIFF"));
        QCOMPARE(int(wav[20] | (wav[21] << 8)), 1);  // PCM
        QCOMPARE(int(wav[34] | (wav[35] << 8)), 16);
        QVERIFY(fs::exists(f.property() / "01.snd"));
        // Play then write: the file made for play is written as it is.
        const Bytes made = ReadBytes(f.property() / "01.snd");
        QVERIFY(Click(f.dialog.get(), 1117));
        QVERIFY(f.DevicePhrases() == made);
        QVERIFY(f.prompter.prompts().empty());

        // The chosen file and the read-back file play with their own captions.
        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 4));
        f.Choose(f.temp / "p.snd");
        QVERIFY(Click(f.dialog.get(), 1118));
        f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
        QVERIFY(Click(f.dialog.get(), 1121));
        QVERIFY(Click(f.dialog.get(), 1120));
        QCOMPARE(played.size(), std::size_t{3});
        QCOMPARE(played[1].second, std::string("選択したファイル"));
        QCOMPARE(played[2].second, std::string("読み込んだ不定フレーズ"));
        QVERIFY(played[2].first != play.string());  // every play has a folder of its own
        QVERIFY(fs::is_empty(f.work() / "TEMP"));
    }

    void ClicksDuringATransfer_HaveNoEffectAfterwards_AndTheWindowRepaints() {
        TransferFixture f(1, {"前半", "", ""}, kotar::test::DeviceLink::PseudoTerminal);
        KOTAR_SKIP_WITHOUT_PORT_DEVICE(f);
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
        // The click mechanism itself: a posted click on browse opens its file dialog.
        f.prompter.AnswerNextDialog(std::nullopt);
        kotar::test::PostClick(Button(f.dialog.get(), 1025));
        QCoreApplication::processEvents();
        QCOMPARE(f.prompter.prompts().size(), std::size_t{1});

        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 4));
        f.Choose(f.temp / "p.snd");
        const std::size_t prompts_before = f.prompter.prompts().size();

        bool grabbed = false;
        bool shown_running = false;
        QString running_text;
        bool busy_cursor = false;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (grabbed || f.Progress()->value() < 20)
                return;
            grabbed = true;
            running_text = f.Status();
            shown_running = kotar::test::ScreenShowsChildAsItIs(
                f.dialog.get(), kotar::test::Control<QWidget>(f.dialog.get(), 1001));
            busy_cursor = f.dialog->cursor().shape() == Qt::WaitCursor;
            kotar::test::PostClick(Button(f.dialog.get(), 1025));
            kotar::test::PostClick(Button(f.dialog.get(), 2));
        });
        // Clicks that arrive after the last exchange, while the status already shows success.
        auto* status = kotar::test::Edit(f.dialog.get(), 1001);
        QObject::connect(status, &QLineEdit::textChanged, [&](const QString& text) {
            if (text == QStringLiteral("不定フレーズ書込成功")) {
                kotar::test::PostClick(Button(f.dialog.get(), 1025));
                kotar::test::PostClick(Button(f.dialog.get(), 1119));
                kotar::test::PostKey(f.dialog.get(), Qt::Key_Escape);
            }
        });
        kotar::test::TextRecorder statuses(status);
        timer.start();
        QVERIFY(Click(f.dialog.get(), 1119));
        timer.stop();
        QCoreApplication::processEvents();
        QTest::qWait(20);

        QVERIFY(grabbed);
        QCOMPARE(running_text, QStringLiteral("不定フレーズ 書込中"));
        QVERIFY(shown_running);
        QVERIFY(busy_cursor);
        QCOMPARE(f.dialog->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ書込成功"));
        QCOMPARE(f.prompter.prompts().size(), prompts_before);
        QVERIFY(f.dialog->isVisible());
        // One write only: the click on its button posted at the end started no second one.
        QCOMPARE(statuses.texts, (QStringList{"不定フレーズ 書込中", "不定フレーズ書込成功"}));
        QVERIFY(f.DevicePhrases() == ReadBytes(f.temp / "p.snd"));
    }

    void VerifyCheckBox_RestoredFromTheIniAndStoredOnlyWhenTheUserChangesIt() {
        TransferFixture f(1);
        auto* box = kotar::test::Control<QCheckBox>(f.dialog.get(), 1131);
        QCOMPARE(box->text(), QStringLiteral("書込後に照合"));
        QVERIFY(!box->isChecked() && box->isEnabled());
        f.dialog->close();
        QVERIFY(kotar::test::ReadText(f.temp / "MEVAN.INI").find("VERIFY") == std::string::npos);
        QVERIFY(Click(f.dialog.get(), 1131));
        QVERIFY(kotar::test::ReadText(f.temp / "MEVAN.INI").find("VERIFY=1\r\n") !=
                std::string::npos);
        CAudioFileTransferDlg again(f.ini, f.prompter, "現場", 1, f.slots);
        QVERIFY(kotar::test::Control<QCheckBox>(&again, 1131)->isChecked());
        QVERIFY(Click(&again, 1131));
        QCOMPARE(f.ini.GetInt("CONFIG", "VERIFY", 7), 0u);
        CAudioFileTransferDlg third(f.ini, f.prompter, "現場", 1, f.slots);
        QVERIFY(!kotar::test::Control<QCheckBox>(&third, 1131)->isChecked());
    }

    void VerifiedWrite_ReportsTheMatch_OrTheFirstDifferingOffset() {
        TransferFixture f(1);
        QVERIFY(Click(f.dialog.get(), 1131));
        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 6));
        f.Choose(f.temp / "p.snd");
        kotar::test::TextRecorder shown(kotar::test::Edit(f.dialog.get(), 1001));
        QVERIFY(Click(f.dialog.get(), 1119));
        QCOMPARE(shown.texts, (QStringList{"不定フレーズ 書込中", "不定フレーズ 照合中",
                                           "不定フレーズ 書込完了（照合一致）"}));
        QCOMPARE(f.Progress()->maximum(), 257);
        QCOMPARE(f.Progress()->value(), 257);
        QVERIFY(f.Log().empty());

        f.model.AddFault({DeviceFault::CorruptsStoredByte, 0, 0, 0, 0, 0x1A2});
        QVERIFY(Click(f.dialog.get(), 1119));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 照合失敗（不一致）"));
        QCOMPARE(f.Log().size(), std::size_t{1});
        QVERIFY(f.Log()[0].starts_with("不定フレーズ 照合不一致 オフセット 0x0001A2 "));
        QVERIFY(IsEnabled(f.dialog.get(), 1119) && IsEnabled(f.dialog.get(), 1131));
    }

    void StopButton_EnabledOnlyWhileATransferRuns_StopsAWriteAndARead() {
        TransferFixture f(1);
        QCOMPARE(TextOf(f.dialog.get(), 1130), QStringLiteral("中止"));
        QVERIFY(!IsEnabled(f.dialog.get(), 1130));
        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 7));
        f.Choose(f.temp / "p.snd");
        {
            kotar::test::StopPress press(f.dialog.get(), 20);
            QVERIFY(Click(f.dialog.get(), 1119));
            QVERIFY(press.pressed && press.enabled && press.focused);
        }
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 書込中止"));
        const std::vector<int>& commands = f.model.commands();
        QCOMPARE(std::count(commands.begin(), commands.end(), 9002), 0L);  // the device discards
        QVERIFY(commands.size() < 40);
        QVERIFY(!f.line->is_open);
        QVERIFY(!IsEnabled(f.dialog.get(), 1130));
        QVERIFY(IsEnabled(f.dialog.get(), 1119) && IsEnabled(f.dialog.get(), 2));

        // A read stopped from the keyboard saves nothing.
        f.prompter.AnswerNextDialog((f.temp / "back.snd").string());
        {
            kotar::test::StopPress press(f.dialog.get(), 20, {{0, Qt::Key_Space}});
            QVERIFY(Click(f.dialog.get(), 1121));
            QVERIFY(press.pressed);
        }
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 読込中止"));
        QVERIFY(!fs::exists(f.temp / "back.snd"));
        QVERIFY(!IsEnabled(f.dialog.get(), 1120));
        QCOMPARE(f.Log(),
                 (std::vector<std::string>{"不定フレーズ 書込中止", "不定フレーズ 読込中止"}));
    }

    // Beside a click on 中止 and Space (above): Return and Enter stop as well while 中止 has the
    // focus; a click elsewhere neither acts nor takes the focus from it; other keys do nothing.
    void StopButton_OnlyItsClickAndKeysAtTheWindowStopAWrite_data() {
        using Inputs = kotar::test::WindowInputs;
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<bool>("stops");
        QTest::newRow("return") << Inputs{{0, Qt::Key_Return}} << true;
        QTest::newRow("enter") << Inputs{{0, Qt::Key_Enter}} << true;
        QTest::newRow("click on the status, space") << Inputs{{1001}, {0, Qt::Key_Space}} << true;
        QTest::newRow("click on close") << Inputs{{2}} << false;
        QTest::newRow("escape") << Inputs{{0, Qt::Key_Escape}} << false;
    }
    void StopButton_OnlyItsClickAndKeysAtTheWindowStopAWrite() {
        QFETCH(kotar::test::WindowInputs, inputs);
        QFETCH(bool, stops);
        TransferFixture f(1);
        WriteBytes(f.temp / "p.snd", Pattern(kotar::kPhraseFileBytes, 8));
        f.Choose(f.temp / "p.snd");
        {
            kotar::test::StopPress press(f.dialog.get(), 20, inputs);
            QVERIFY(Click(f.dialog.get(), 1119));
            QVERIFY(press.pressed && press.focused);
        }
        QCOMPARE(f.Status(), stops ? QStringLiteral("不定フレーズ 書込中止")
                                   : QStringLiteral("不定フレーズ書込成功"));
        QVERIFY(f.dialog->isVisible());
    }

    void InputFilter_LetsOnlyTheStopButtonsClicksAndSpaceThrough() {
        QWidget window;
        auto* stop = new QPushButton(QStringLiteral("中止"), &window);
        auto* other = new QPushButton(QStringLiteral("読込"), &window);
        other->move(0, 40);
        window.show();
        int stops = 0;
        int others = 0;
        QObject::connect(stop, &QPushButton::clicked, [&] { ++stops; });
        QObject::connect(other, &QPushButton::clicked, [&] { ++others; });
        {
            kotar::InputDiscardScope scope(stop);
            kotar::test::PostClick(stop);
            kotar::test::PostKey(stop, Qt::Key_Space);
            kotar::test::PostClick(other);
            kotar::test::PostKey(other, Qt::Key_Space);
            QCoreApplication::processEvents();
            QCOMPARE(stops, 2);
            QCOMPARE(others, 0);
        }
        {
            // Pressed at the window and released away from it: up again, without a click.
            kotar::InputDiscardScope scope(stop);
            QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, stop->geometry().center());
            QVERIFY(stop->isDown());
            QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {},
                                other->geometry().center());
            QVERIFY(!stop->isDown());
            QCOMPARE(stops, 2);
        }
        kotar::UserInputDiscarder filter;
        filter.PassButton(stop);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QVERIFY(filter.eventFilter(stop, &escape));
        QVERIFY(filter.eventFilter(stop, &move));
        QVERIFY(filter.eventFilter(other, &space));
        QVERIFY(!filter.eventFilter(stop, &space));
    }

    void PortSettings_PreselectsTheLastEntryOfThePortAndStoresTheChoice() {
        kotar::test::TempDir temp;
        kotar::ProfileFile ini(temp / "MEVAN.INI");
        const std::vector<std::string> names = {"USB Serial Port (COM3)",
                                                "Communications Port (COM1)",
                                                "Prolific USB-to-Serial (COM3)"};
        ini.WriteInt("CONFIG", "PORT", 3);
        {
            kotar::CPortSetDlg dialog(ini, names);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("ポート設定"));
            QCOMPARE(dialog.preselected_index(), 2);
            auto* combo = kotar::test::Control<QComboBox>(&dialog, 1104);
            QCOMPARE(combo->count(), 3);
            QCOMPARE(combo->itemText(0), QStringLiteral("USB Serial Port (COM3)"));
            combo->setCurrentIndex(1);
            QVERIFY(Click(&dialog, 1));
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(ini.GetInt("CONFIG", "PORT", 0), 1u);
        }
        ini.WriteInt("CONFIG", "PORT", 7);
        {
            kotar::CPortSetDlg dialog(ini, names);
            QCOMPARE(dialog.preselected_index(), 0);
            QVERIFY(Click(&dialog, 1));  // untouched: the preselected entry
            QCOMPARE(ini.GetInt("CONFIG", "PORT", 0), 3u);
        }
        ini.WriteInt("CONFIG", "PORT", 1);
        {
            kotar::CPortSetDlg dialog(ini, names);
            QLineEdit* typed = kotar::test::Control<QComboBox>(&dialog, 1104)->lineEdit();
            typed->selectAll();
            QTest::keyClicks(typed, QStringLiteral("COM9"));
            QCOMPARE(typed->text(), QStringLiteral("COM9"));
            QVERIFY(Click(&dialog, 1));
            QCOMPARE(ini.GetInt("CONFIG", "PORT", 0), 1u);
            // Cancel stores nothing.
            kotar::CPortSetDlg other(ini, names);
            kotar::test::Control<QComboBox>(&other, 1104)->setCurrentIndex(2);
            QVERIFY(Click(&other, 2));
            QCOMPARE(ini.GetInt("CONFIG", "PORT", 0), 1u);
        }
        {
            kotar::CPortSetDlg dialog(ini, {});
            QVERIFY(!IsEnabled(&dialog, 1104) && !IsEnabled(&dialog, 1) && IsEnabled(&dialog, 2));
            QCOMPARE(dialog.preselected_index(), -1);
        }
        // A PORTS entry whose device exists is listed with its number.
        kotar::test::WriteText(temp / "dev", "");
        ini.WriteString("PORTS", "COM40", (temp / "dev").string());
        bool listed = false;
        for (const std::string& name : kotar::CPortSetDlg::PresentPortNames(ini))
            listed = listed || name.find("(COM40)") != std::string::npos;
        QVERIFY(listed);
    }

    void MainWindow_WriteReadTransfersOverTheLinkItWasGiven() {
        DeviceFixture f;
        const fs::path property = f.work() / kotar::PathFromUtf8("TR_現場");
        fs::create_directories(property);
        kotar::test::WriteSlotWav(property / "03.wav", "全体", 4000);
        FakeSpace space;
        kotar::CKOTARDlg window(
            {.ini = f.ini, .prompter = f.prompter, .space = space, .link = f.environment});
        window.Initialize({});
        window.show();

        QString status;
        kotar::test::ModalAnswer answer([&status](QWidget* dialog) {
            Click(dialog, 1117);
            status = TextOf(dialog, 1001);
            Click(dialog, 2);
        });
        QVERIFY(Click(&window, 1080));
        QVERIFY(answer.answered());
        QCOMPARE(status, QStringLiteral("不定フレーズ書込成功"));
        const auto memory = f.model.Memory(kotar::kPhraseArea, kotar::kPhraseFileBytes);
        QVERIFY(Bytes(memory.begin(), memory.end()) == ReadBytes(property / "03.snd"));
    }

    void MainWindow_OpensTheDeviceDialogs() {
        kotar::test::TempDir temp;
        fs::create_directories(temp / "work" / kotar::PathFromUtf8("TR_現場"));
        kotar::test::WriteSlotWav(temp / "work" / kotar::PathFromUtf8("TR_現場") / "03.wav", "全体",
                                  4000);
        kotar::ProfileFile ini(temp / "MEVAN.INI");
        ini.WriteString("CONFIG", "PATH", (temp / "work").string());
        ScriptedPrompter prompter;
        FakeSpace space;
        kotar::test::FakeWaveDevice device;
        kotar::SetDefaultWaveDevice(&device);
        SoundEndpoints endpoints;
        kotar::CKOTARDlg window(
            {.ini = ini, .prompter = prompter, .space = space, .endpoints = &endpoints});
        window.SetStartDirectory(temp.path());
        window.Initialize({"maintenance"});
        window.show();

        struct Seen {
            QString title, header, mode;
        } seen;
        auto close_and_note = [&](QWidget* w) {
            seen.title = w->windowTitle();
            seen.header = TextOf(w, 1081);
            seen.mode = TextOf(w, 1122);
            Click(w, 2);
        };
        // Write/read, and its play button opening the compact play dialog on play.ulw.
        Seen played;
        QSize play_size;
        bool play_answered = false;
        {
            kotar::test::ModalAnswer answer([&](QWidget* w) {
                kotar::test::ModalAnswer play([&](QWidget* p) {
                    played.title = p->windowTitle();
                    played.mode = TextOf(p, 1026);
                    played.header = TextOf(p, 3000);
                    play_size = p->size();
                    Click(p, 1);
                });
                Click(w, 1116);
                play_answered = play.answered();
                close_and_note(w);
            });
            QVERIFY(Click(&window, 1080));
            QVERIFY(answer.answered());
        }
        kotar::SetDefaultWaveDevice(nullptr);
        QCOMPARE(seen.title, QStringLiteral("書込／読込"));
        QCOMPARE(seen.header, QStringLiteral("物件名称：現場"));
        QCOMPARE(seen.mode, QStringLiteral("音声データＡ＋Ｂ（連続）"));
        QVERIFY(play_answered);
        QCOMPARE(played.title, QStringLiteral("再生"));
        QCOMPARE(played.mode, QStringLiteral("音声データＡ＋Ｂ（連続）"));
        QCOMPARE(played.header, QStringLiteral("長さ： 16.38秒"));  // the whole phrase image
        QCOMPARE(play_size, QSize(350, 180));                       // the compact form
        QVERIFY(fs::is_empty(temp / "work" / "TEMP"));  // the play's scratch folder went with it
        {
            kotar::test::ModalAnswer answer(close_and_note);
            window.findChild<QAction*>("32781")->trigger();
            QVERIFY(answer.answered());
        }
        QCOMPARE(seen.title, QStringLiteral("ポート設定"));
        {
            kotar::test::ModalAnswer answer(close_and_note);
            window.findChild<QAction*>("32779")->trigger();
            QVERIFY(answer.answered());
        }
        QCOMPARE(seen.title, QStringLiteral("保守操作"));
    }
};

QTEST_MAIN(TransferDlgTest)
#include "TransferDlgTest.moc"
