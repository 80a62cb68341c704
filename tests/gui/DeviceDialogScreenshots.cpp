// Renders the device dialogs into <build>/screenshots/*.png with typical content, for review,
// and checks that every text fits its control.
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QTest>

#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/MaintenanceOperationsDlg.h"
#include "ui/DialogLayout.h"

namespace fs = std::filesystem;
using kotar::test::ClippedTexts;
using kotar::test::SaveScreenshot;
using kotar::test::ScriptedPrompter;

namespace {

void SetEdit(QWidget* dialog, int id, const char* text) {
    kotar::test::Edit(dialog, id)->setText(QString::fromUtf8(text));
}

}  // namespace

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
};

QTEST_MAIN(DeviceDialogScreenshots)
#include "DeviceDialogScreenshots.moc"
