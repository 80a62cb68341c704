// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window and every dialog of this folder into <build>/screenshots/*.png, with
// the dialog font, for review; checks that each fits its texts.
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QTest>

#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "app/AboutDlg.h"
#include "app/KOTARDlg.h"
#include "common/Messages.h"
#include "store/DiskSpace.h"
#include "store/NewObjDlg.h"
#include "store/SearchDlg.h"
#include "store/SetWorkDlg.h"
#include "ui/DialogLayout.h"
#include "ui/ProductInfo.h"
#include "ui/QtPrompter.h"

namespace fs = std::filesystem;
using kotar::test::ClippedTexts;
using kotar::test::SaveScreenshot;
using kotar::test::ScriptedPrompter;

namespace {

// The baseline of a line of text as a picture shows it in `area`: its lowest inked row, less
// how far the same text inks below its baseline when drawn alone in the same font.
int RenderedBaseline(const QImage& picture, const QRect& area, const QString& text,
                     const QFont& font) {
    const auto lowest_ink = [](const QImage& image, const QRect& rect) {
        for (int y = rect.bottom(); y >= rect.top(); --y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (qGray(image.pixel(x, y)) < 128)
                    return y;
            }
        }
        return -1;
    };
    const QFontMetrics metrics(font);
    QImage alone(metrics.horizontalAdvance(text) + 8, 3 * metrics.height(), QImage::Format_RGB32);
    alone.fill(Qt::white);
    const int baseline = 2 * metrics.height();
    {
        QPainter painter(&alone);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(4, baseline), text);
    }
    return lowest_ink(picture, area) - (lowest_ink(alone, alone.rect()) - baseline);
}

class FakeSpace : public kotar::FreeSpaceSource {
public:
    std::optional<kotar::DiskSpace> Query(const fs::path&) override {
        return kotar::DiskSpace{1ull << 40, 1ull << 39, 1ull << 39};
    }
};

}  // namespace

class Screenshots : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setFont(kotar::DialogFont()); }

    void MainWindow() {
        kotar::test::TempDir temp;
        const fs::path property = temp / "work" / kotar::PathFromUtf8("TR_東京駅前ビル");
        fs::create_directories(property);
        kotar::test::WriteSlotWav(property / "01.wav", "音声フレーズＡ");
        kotar::test::WriteSlotWav(property / "03.wav", "音声フレーズＡ＋Ｂ");
        kotar::ProfileFile ini(temp / "MEVAN.INI");
        ini.WriteString("CONFIG", "PATH", (temp / "work").string());
        ScriptedPrompter prompter;
        FakeSpace space;
        kotar::CKOTARDlg window({.ini = ini, .prompter = prompter, .space = space});
        window.SetDefaultWorkFolder(temp / "default");
        window.Initialize({"maintenance"});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        kotar::DialogUnits du(kotar::DialogFont());
        qInfo("dialog base units %d x %d px; client %d x %d px", du.base_width_px(),
              du.base_height_px(), du.X(454), du.Y(186));
        QVERIFY(!SaveScreenshot(&window, "main-window").empty());
        const QStringList clipped = ClippedTexts(&window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

    void Dialogs() {
        kotar::test::TempDir temp;
        for (const char* name : {"東京駅前ビル", "大阪本社", "名古屋支店 第二倉庫"}) {
            fs::create_directories(temp / (std::string("TR_") + name));
        }
        ScriptedPrompter prompter;
        kotar::CNewObjDlg new_obj(prompter);
        new_obj.SetPropertySelected(true);
        kotar::CSearchDlg search(prompter);
        search.SetWorkFolder(temp.path().string());
        kotar::CSetWorkDlg set_work(prompter);
        set_work.SetPath("/home/installer/MEVAN/DATA");
        kotar::CAboutDlg about;
        const std::pair<QWidget*, const char*> dialogs[] = {{&new_obj, "new-property"},
                                                            {&search, "property-selection"},
                                                            {&set_work, "work-folder"},
                                                            {&about, "version"}};
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

    void VersionBoxLinesShareABaselineGrid() {
        kotar::CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QImage picture = about.grab().toImage();
        std::vector<int> baselines;
        for (const QString& text : {QStringLiteral("KOTAR Version"), QStringLiteral("1.0.0"),
                                    QString::fromUtf8(kotar::kProductDescription)}) {
            const QLabel* label = nullptr;
            for (const QLabel* candidate : about.findChildren<QLabel*>()) {
                if (candidate->text() == text)
                    label = candidate;
            }
            QVERIFY2(label != nullptr, qPrintable(text));
            baselines.push_back(RenderedBaseline(picture, label->geometry(), text, label->font()));
        }
        // The version on the title's baseline; the description two lines below it.
        QCOMPARE(baselines[1], baselines[0]);
        QCOMPARE(baselines[2] - baselines[0], 2 * QFontMetrics(about.font()).height());
    }

    // Message boxes the installers' guide shows.
    void MessageBox_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("icon");
        QTest::newRow("disk quota") << "message-137" << int{kotar::kMsgDiskQuota}
                                    << static_cast<int>(kotar::MessageIcon::Error);
        QTest::newRow("first start") << "message-148" << int{kotar::kMsgWorkFolderMissing}
                                     << static_cast<int>(kotar::MessageIcon::Exclamation);
        QTest::newRow("no recording device") << "message-132" << int{kotar::kMsgNoRecordingDevice}
                                             << static_cast<int>(kotar::MessageIcon::Error);
    }
    void MessageBox() {
        QFETCH(QString, picture);
        QFETCH(int, message);
        QFETCH(int, icon);
        kotar::QtPrompter prompter;
        QString shown;
        kotar::test::ModalAnswer answer([&](QWidget* window) {
            auto* box = static_cast<QMessageBox*>(window);
            shown = box->text();
            SaveScreenshot(box, picture.toStdString());
            box->button(QMessageBox::Ok)->click();
        });
        prompter.ShowMessage(message, static_cast<kotar::MessageIcon>(icon));
        QVERIFY(answer.answered());
        QCOMPARE(answer.window_title(), QStringLiteral("KOTAR"));
        QCOMPARE(shown, QString::fromUtf8(kotar::MessageText(message)));
    }
};

QTEST_MAIN(Screenshots)
#include "Screenshots.moc"
