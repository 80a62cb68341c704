// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance dialog driven through its controls: the program file checks with their
// messages, program write and data read against the simulated device on a pseudo-terminal.
#include <QProgressBar>
#include <QTest>
#include <cstring>

#include "DeviceFixture.h"
#include "GuiHarness.h"
#include "ops/MaintenanceOperationsDlg.h"
#include "ops/MaintenanceTransfer.h"
#include "ops/ProgramFile.h"

namespace fs = std::filesystem;
using kotar::CMaintenanceOperationsDlg;
using kotar::MessageIcon;
using kotar::devsim::DeviceFault;
using kotar::test::Click;
using kotar::test::DeviceFixture;
using kotar::test::IsEnabled;
using kotar::test::ReadBytes;
using kotar::test::TextOf;
using kotar::test::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const char* kUnreadable =
    "選択したファイルが読み込めませんでした。\nファイルを確認してください。";
constexpr const char* kBadContent =
    "選択したファイルの内容が正しくありません。\nファイルを確認してください。";
constexpr const char* kWrongType =
    "指定した形式のファイルは書き込めません。\nファイルを確認してください。";

void PutText(Bytes& bytes, std::size_t at, const char* text) {
    std::memcpy(bytes.data() + at, text, std::strlen(text));
}

// A program file of `size` bytes with the trailer fields and, when asked, a correct CRC.
Bytes ProgramFile(std::size_t size, const char* tag_field, const char* date, const char* version,
                  bool good_crc = true) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::size_t trailer = size - kotar::kProgramTrailerBytes;
    std::memset(bytes.data() + trailer, 0, 48);
    PutText(bytes, trailer, tag_field);
    PutText(bytes, trailer + 16, date);
    PutText(bytes, trailer + 32, version);
    std::uint16_t crc = kotar::Crc16Mcrf4xx(std::span(bytes.data(), size - 2));
    if (!good_crc)
        crc ^= 0x5A5A;
    bytes[size - 2] = static_cast<std::uint8_t>(crc);
    bytes[size - 1] = static_cast<std::uint8_t>(crc >> 8);
    return bytes;
}

struct MaintenanceFixture : DeviceFixture {
    explicit MaintenanceFixture(kotar::test::DeviceLink link = kotar::test::DeviceLink::InProcess)
        : DeviceFixture(link) {
        dialog.SetLinkEnvironment(environment);
        dialog.SetStartDirectory(temp.path().string());
        dialog.show();
        std::filesystem::create_directories(app().parent_path());
        WriteBytes(app(), ProgramFile(384000, "APLI_DEV01", "2026/12/07", "V1.02"));
        WriteBytes(upd(), ProgramFile(4096, "UDPG_DEV01", "2026/11/30", "U0.9", false));
    }
    // In a folder with a Japanese name, as under many a user's own folder.
    fs::path app() const { return temp / "プログラム" / "app.bin"; }
    fs::path upd() const { return temp / "プログラム" / "upd.bin"; }

    // Chooses a file with a browse button; the message shown, if any.
    std::optional<kotar::MessageRequest> Choose(int button, const fs::path& file) {
        const std::size_t before = prompter.prompts().size();
        prompter.AnswerNextDialog(file.string());
        Click(&dialog, button);
        if (prompter.prompts().size() > before + 1)
            return prompter.prompts().back().message;
        return std::nullopt;
    }
    QStringList Fields(bool application) const {
        QStringList texts;
        for (int id : application ? std::vector<int>{1110, 1111, 1112, 1109}
                                  : std::vector<int>{1105, 1113, 1114, 1115})
            texts << TextOf(&dialog, id);
        return texts;
    }
    QProgressBar* Progress() const { return kotar::test::Control<QProgressBar>(&dialog, 1077); }

    CMaintenanceOperationsDlg dialog{ini, prompter};
};

}  // namespace

class MaintenanceDlgTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void Opening_WriteDisabledCancelHidden() {
        MaintenanceFixture f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("保守操作"));
        QVERIFY(!IsEnabled(&f.dialog, 1025));
        for (int id : {1107, 1108, 1106, 2})
            QVERIFY(IsEnabled(&f.dialog, id));
        QWidget* cancel = kotar::test::Control(&f.dialog, 1126);
        QVERIFY(cancel != nullptr && !cancel->isVisible() && !cancel->isEnabled());
    }

    void Selections_ShowTheFieldsAndEnableWriteOnlyWithBoth() {
        MaintenanceFixture f;
        QVERIFY(!f.Choose(1107, f.app()));
        const auto& request = f.prompter.prompts().front().file;
        QCOMPARE(request.filter, std::string("BIN(*.bin)|*.bin||"));
        QCOMPARE(request.initial_name, std::string("*.bin"));
        QCOMPARE(request.initial_folder, f.temp.path().string());  // the start directory
        QCOMPARE(f.Fields(true), (QStringList{"DEV01", "V1.02", "2026/12/07",
                                              QString::fromStdString(f.app().string())}));
        QVERIFY(!IsEnabled(&f.dialog, 1025));
        // The update file's CRC is not checked.
        QVERIFY(!f.Choose(1108, f.upd()));
        QCOMPARE(f.Fields(false), (QStringList{"DEV01", "U0.9", "2026/11/30",
                                               QString::fromStdString(f.upd().string())}));
        QVERIFY(IsEnabled(&f.dialog, 1025));

        // A wrong type keeps the selection; a failed check clears it and disables write.
        WriteBytes(f.temp / "APP.BIN", ReadBytes(f.app()));
        auto box = f.Choose(1107, f.temp / "APP.BIN");
        QVERIFY(box && box->text == kWrongType && box->caption == "書込ファイル確認" &&
                box->icon == MessageIcon::Error);
        QCOMPARE(f.Fields(true)[0], QStringLiteral("DEV01"));
        QVERIFY(IsEnabled(&f.dialog, 1025));

        WriteBytes(f.temp / "short.bin", Bytes(383999, 0));
        box = f.Choose(1107, f.temp / "short.bin");
        QVERIFY(box && box->text == kUnreadable && box->caption == "書込ファイル確認" &&
                box->icon == MessageIcon::Information);
        QCOMPARE(f.Fields(true), (QStringList{"", "", "", ""}));
        QVERIFY(!IsEnabled(&f.dialog, 1025));
        QCOMPARE(f.Fields(false)[0], QStringLiteral("DEV01"));
    }

    void FileChecks_EveryMessage() {
        MaintenanceFixture f;
        struct Case {
            int button;
            Bytes content;
            const char* text;
        };
        const Case cases[] = {
            {1107, Bytes(384001, 0), kUnreadable},
            {1107, ProgramFile(384000, "APLI_DEV01", "d", "v", false), kBadContent},
            {1107, ProgramFile(384000, "APLX_DEV01", "d", "v"), kBadContent},
            {1108, Bytes(4095, 0), kUnreadable},
            {1108, ProgramFile(4096, "APLI_DEV01", "d", "v"), kBadContent},
        };
        int n = 0;
        for (const Case& c : cases) {
            const fs::path file = f.temp / ("case" + std::to_string(n++) + ".bin");
            WriteBytes(file, c.content);
            const auto box = f.Choose(c.button, file);
            QVERIFY(box.has_value());
            QCOMPARE(box->text, std::string(c.text));
            QCOMPARE(box->caption, std::string("書込ファイル確認"));
            QVERIFY(box->icon == MessageIcon::Information);
        }
        const auto box = f.Choose(1108, f.temp / "missing.bin");
        QVERIFY(box && box->text == kUnreadable);
        QCOMPARE(f.Fields(true), (QStringList{"", "", "", ""}));
        QCOMPARE(f.Fields(false), (QStringList{"", "", "", ""}));
    }

    void ProgramWrite_PutsBothImagesIntoTheDeviceWithProgressTo389() {
        MaintenanceFixture f;
        f.Choose(1107, f.app());
        f.Choose(1108, f.upd());
        kotar::test::TextRecorder shown(kotar::test::Edit(&f.dialog, 1078));
        QVERIFY(Click(&f.dialog, 1025));
        QCOMPARE(shown.texts, (QStringList{"プログラム 書込中", "プログラム書込成功"}));
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("プログラム書込成功"));
        QCOMPARE(f.Progress()->maximum(), 389);
        QCOMPARE(f.Progress()->value(), 389);
        const auto application = f.model.Memory(kotar::kApplicationArea, 0x60000);
        QVERIFY(Bytes(application.begin(), application.end()) == f.dialog.application().image);
        const auto update = f.model.Memory(kotar::kUpdateArea, 4096);
        QVERIFY(Bytes(update.begin(), update.end()) == f.dialog.update().image);
        QVERIFY(IsEnabled(&f.dialog, 1025) && IsEnabled(&f.dialog, 2));
    }

    void ProgramWrite_ApplicationFailureSkipsTheUpdate() {
        MaintenanceFixture f;
        f.Choose(1107, f.app());
        f.Choose(1108, f.upd());
        f.model.AddFault({DeviceFault::StaysSilent, 0, 9000});
        QVERIFY(Click(&f.dialog, 1025));
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("プログラム 書込失敗（応答無し）"));
        const auto update = f.model.Memory(kotar::kUpdateArea, 4096);
        QVERIFY(Bytes(update.begin(), update.end()) == Bytes(4096, 0xFF));
        for (int command : f.model.commands())
            QCOMPARE(command, 9000);

        MaintenanceFixture g;
        g.Choose(1107, g.app());
        g.Choose(1108, g.upd());
        g.model.AddFault({DeviceFault::RefusesChecksum, 0, 9002});
        QVERIFY(Click(&g.dialog, 1025));
        QCOMPARE(TextOf(&g.dialog, 1078), QStringLiteral("プログラム 書込失敗（応答結果異常）"));
        g.line->open_fails = true;
        QVERIFY(Click(&g.dialog, 1025));
        QCOMPARE(TextOf(&g.dialog, 1078), QStringLiteral("COMポートオープンエラー"));
        // A port the user may not open says so.
        g.line->open_denied = true;
        QVERIFY(Click(&g.dialog, 1025));
        QCOMPARE(
            TextOf(&g.dialog, 1078),
            QStringLiteral("COMポートオープンエラー "
                           "ポートを開く権限がありません（dialout グループへの追加が必要です）"));
    }

    void PulledCable_StatusSaysTheLineWasCut() {
        MaintenanceFixture f;
        f.Choose(1107, f.app());
        f.Choose(1108, f.upd());
        f.model.AddFault({DeviceFault::Vanishes, 1, 9001, 30});
        QVERIFY(Click(&f.dialog, 1025));
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("プログラム 書込失敗（回線切断）"));
        QCOMPARE(f.Log(), std::vector<std::string>{"プログラム書込 通信エラー 回線切断"});
    }

    void Stop_EndsAProgramWriteWithoutEndRequestAndADataReadWithoutFile() {
        MaintenanceFixture f;
        f.Choose(1107, f.app());
        f.Choose(1108, f.upd());
        QCOMPARE(TextOf(&f.dialog, 1130), QStringLiteral("中止"));
        QVERIFY(!IsEnabled(&f.dialog, 1130));
        {
            kotar::test::StopPress press(&f.dialog, 20);
            QVERIFY(Click(&f.dialog, 1025));
            QVERIFY(press.pressed && press.enabled && press.focused);
        }
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("プログラム 書込中止"));
        const std::vector<int>& commands = f.model.commands();
        QCOMPARE(std::count(commands.begin(), commands.end(), 9000), 1L);  // no update write
        QCOMPARE(std::count(commands.begin(), commands.end(), 9002), 0L);
        QVERIFY(!IsEnabled(&f.dialog, 1130) && IsEnabled(&f.dialog, 1025));

        f.prompter.AnswerNextDialog((f.temp / "data.log").string());
        {
            kotar::test::StopPress press(&f.dialog, 20, {{0, Qt::Key_Space}});
            QVERIFY(Click(&f.dialog, 1106));
            QVERIFY(press.pressed);
        }
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("データ 読込中止"));
        QVERIFY(!fs::exists(f.temp / "data.log"));
        QCOMPARE(f.Log(), (std::vector<std::string>{"プログラム 書込中止", "データ 読込中止"}));
    }

    void DataRead_IntoAFolderWithAJapaneseName() {
        MaintenanceFixture f;
        const fs::path out = f.temp / "読込" / "data.log";
        fs::create_directories(out.parent_path());
        f.prompter.AnswerNextDialog(kotar::PathToUtf8(out));
        QVERIFY(Click(&f.dialog, 1106));
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("データ読込成功"));
        QVERIFY(ReadBytes(out) == kotar::devsim::DeviceModel::DataAreaContent());
    }

    void DataRead_SavesTheAreaWithProgressTo65() {
        MaintenanceFixture f(kotar::test::DeviceLink::PseudoTerminal);
        KOTAR_SKIP_WITHOUT_PORT_DEVICE(f);
        f.prompter.AnswerNextDialog((f.temp / "data.log").string());
        kotar::test::TextRecorder shown(kotar::test::Edit(&f.dialog, 1078));
        QVERIFY(Click(&f.dialog, 1106));
        QCOMPARE(shown.texts, (QStringList{"データ 読込中", "データ読込成功"}));
        const auto& save = f.prompter.prompts().back().file;
        QCOMPARE(save.default_extension, std::string("log"));
        QCOMPARE(save.filter, std::string("LOG(*.log)|*.log||"));
        QVERIFY(save.prompt_overwrite);
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("データ読込成功"));
        QCOMPARE(f.Progress()->maximum(), 65);
        QCOMPARE(f.Progress()->value(), 65);
        QVERIFY(ReadBytes(f.temp / "data.log") == kotar::devsim::DeviceModel::DataAreaContent());

        // A failed read saves nothing; a file that cannot be created is reported and logged.
        f.model.AddFault({DeviceFault::StaysSilent, 0, 9011, 10});
        f.prompter.AnswerNextDialog((f.temp / "other.log").string());
        QVERIFY(Click(&f.dialog, 1106));
        QCOMPARE(TextOf(&f.dialog, 1078), QStringLiteral("データ 読込失敗（応答無し）"));
        QVERIFY(!fs::exists(f.temp / "other.log"));

        MaintenanceFixture g;
        g.prompter.AnswerNextDialog((g.temp / "missing" / "x.log").string());
        QVERIFY(Click(&g.dialog, 1106));
        QCOMPARE(TextOf(&g.dialog, 1078), QStringLiteral("データファイル書込エラー"));
        QCOMPARE(g.Log().back(), std::string("データファイル書込エラー"));
        // Cancel reads nothing.
        const int requests = g.model.requests_received();
        g.prompter.AnswerNextDialog(std::nullopt);
        QVERIFY(Click(&g.dialog, 1106));
        QCOMPARE(g.model.requests_received(), requests);
    }
};

QTEST_MAIN(MaintenanceDlgTest)
#include "MaintenanceDlgTest.moc"
