// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the device dialogs into <build>/screenshots/*.png with typical content, for review,
// and checks that every text fits its control; then the write/read dialog as a write against the
// simulated device leaves it (success, a port the user may not open, a failed check), for the
// installers' guide.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QStyle>
#include <QTest>

#include "DeviceFixture.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "common/Utf8Path.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/MaintenanceOperationsDlg.h"
#include "ui/DialogLayout.h"
#include "ui/QtPrompter.h"

namespace fs = std::filesystem;
using kotar::devsim::DeviceFault;
using kotar::test::ClippedTexts;
using kotar::test::SaveScreenshot;
using kotar::test::ScriptedPrompter;

namespace {

void SetEdit(QWidget* dialog, int id, const char* text) {
    kotar::test::Edit(dialog, id)->setText(QString::fromUtf8(text));
}

// How the simulated device or its line lets a verified write of the created data end.
enum class WriteEnd { Verified, PortDenied, StoredWrong };

}  // namespace

Q_DECLARE_METATYPE(WriteEnd)

namespace {}  // namespace

class DeviceDialogScreenshots : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setFont(kotar::DialogFont()); }

    void DeviceDialogs() {
        kotar::test::TempDir temp;
        kotar::ProfileFile ini(temp / "MEVAN.INI");
        ini.WriteInt("CONFIG", "PORT", 3);
        ScriptedPrompter prompter;
        const kotar::SlotList slots(3);

        // The longest property name (40 characters) with the longest texts of the dialog.
        kotar::CAudioFileTransferDlg transfer(
            ini, prompter,
            "東京都千代田区丸の内一丁目駅前ビルディング本館地下三階防災センター管理事務所内１", 4,
            slots);
        SetEdit(&transfer, 1123, "/home/installer/MEVAN/DATA/TR_東京駅前ビル/04.snd");
        SetEdit(&transfer, 1001, "不定フレーズ 照合失敗（不一致）");
        kotar::test::Button(&transfer, 1131)->setChecked(true);
        kotar::test::Control<QProgressBar>(&transfer, 1077)->setRange(0, 129);
        kotar::test::Control<QProgressBar>(&transfer, 1077)->setValue(77);

        kotar::CMaintenanceOperationsDlg maintenance(ini, prompter);
        SetEdit(&maintenance, 1110, "FIRECOM-X2");
        SetEdit(&maintenance, 1111, "Ver1.02.3");
        SetEdit(&maintenance, 1112, "2026/12/07 10:30");
        SetEdit(&maintenance, 1109, "/home/installer/firmware/FIRECOM_X2_APL_V1023.bin");
        SetEdit(&maintenance, 1105, "FIRECOM-X2");
        SetEdit(&maintenance, 1113, "Ver0.9");
        SetEdit(&maintenance, 1114, "2026/11/30 09:00");
        SetEdit(&maintenance, 1115, "/home/installer/firmware/FIRECOM_X2_UPD_V09.bin");
        SetEdit(&maintenance, 1078, "プログラム 書込失敗（応答結果異常）");

        kotar::CPortSetDlg port(
            ini, {"FT232R USB UART (COM33)", "serial8250 (COM1)", "PL2303 Serial Port (COM34)"});

        const std::pair<QWidget*, const char*> dialogs[] = {
            {&transfer, "write-read"}, {&maintenance, "maintenance"}, {&port, "port-settings"}};
        for (auto [dialog, name] : dialogs) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QVERIFY(!SaveScreenshot(dialog, name).empty());
            const QStringList clipped = ClippedTexts(dialog);
            QVERIFY2(clipped.isEmpty(),
                     qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") +
                                clipped.join(QStringLiteral("; "))));
            dialog->hide();
        }
    }

    void WriteOutcomes_data() {
        QTest::addColumn<WriteEnd>("end");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");  // the picture of the message box, if one opens
        QTest::newRow("verified") << WriteEnd::Verified << "write-read-verified"
                                  << "不定フレーズ 書込完了（照合一致）" << QString();
        QTest::newRow("port denied")
            << WriteEnd::PortDenied << "write-read-port-permission"
            << "COMポートオープンエラー "
               "ポートを開く権限がありません（dialout グループへの追加が必要です）"
            << QString();
        QTest::newRow("stored wrong") << WriteEnd::StoredWrong << "write-read-mismatch"
                                      << "不定フレーズ 照合失敗（不一致）"
                                      << "message-verify-mismatch";
    }
    void WriteOutcomes() {
        QFETCH(WriteEnd, end);
        QFETCH(QString, picture);
        QFETCH(QString, status);
        QFETCH(QString, box);
        kotar::test::DeviceFixture device;
        const fs::path property = device.work() / kotar::PathFromUtf8("TR_東京駅前ビル");
        fs::create_directories(property);
        kotar::SlotList slots;
        for (const char* name : {"01.wav", "02.wav"})
            slots.push_back({(property / name).string(), ""});
        slots.push_back({(property / "03.wav").string(), "音声フレーズＡ＋Ｂ"});
        kotar::test::WriteSlotWav(property / "03.wav", slots[2].attribute_text, 8000);
        if (end == WriteEnd::PortDenied) {
            device.line->open_fails = true;
            device.line->open_denied = true;
        }
        if (end == WriteEnd::StoredWrong)
            device.model.AddFault({DeviceFault::CorruptsStoredByte, 0, 0, 0, 0, 0x2B});

        kotar::QtPrompter prompter;
        kotar::CAudioFileTransferDlg transfer(device.ini, prompter, "東京駅前ビル", 3, slots);
        transfer.SetLinkEnvironment(device.environment);
        transfer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&transfer));
        QVERIFY(kotar::test::Click(&transfer, 1131));  // 書込後に照合
        QString box_text;
        kotar::test::ModalAnswer answer([&](QWidget* window) {
            auto* message = static_cast<QMessageBox*>(window);
            box_text = message->text();
            SaveScreenshot(message, box.toStdString());
            message->button(QMessageBox::Ok)->click();
        });
        QVERIFY(kotar::test::Click(&transfer, 1117));  // 書込 of the created data
        QCOMPARE(kotar::test::TextOf(&transfer, 1001), status);
        if (!box.isEmpty()) {
            QTRY_VERIFY(answer.answered());
            QCOMPARE(answer.window_title(), QStringLiteral("照合結果"));
            QVERIFY(box_text.startsWith(QStringLiteral("書込後の照合で")));
        }
        QVERIFY(!SaveScreenshot(&transfer, picture.toStdString()).empty());
        const QStringList clipped = ClippedTexts(&transfer);
        QVERIFY2(clipped.isEmpty(),
                 qPrintable(picture + QStringLiteral(": ") + clipped.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(DeviceDialogScreenshots)
#include "DeviceDialogScreenshots.moc"
