// SPDX-License-Identifier: GPL-3.0-or-later
// The work folder dialog: OK follows the text, the folder browser, and the path rule.
#include <QTest>

#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TestSystem.h"
#include "store/SetWorkDlg.h"

using kotar::CSetWorkDlg;
using kotar::MessageIcon;
using kotar::test::Click;
using kotar::test::IsEnabled;
using kotar::test::kOnWindows;
using kotar::test::ScriptedPrompter;
using kotar::test::TextOf;
using kotar::test::Type;

class SetWorkDlgTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void OkIsEnabledExactlyWhenThePathIsNotEmpty() {
        ScriptedPrompter prompter;
        CSetWorkDlg dialog(prompter);
        dialog.SetPath("/home/user/MEVAN/DATA");
        dialog.show();
        QCOMPARE(TextOf(&dialog, 1050), QStringLiteral("/home/user/MEVAN/DATA"));
        QVERIFY(IsEnabled(&dialog, 1));
        Type(&dialog, 1050, QString());
        QVERIFY(!IsEnabled(&dialog, 1));
        QTest::keyClicks(kotar::test::Edit(&dialog, 1050), QStringLiteral("/"));
        QVERIFY(IsEnabled(&dialog, 1));
    }

    void PathRule_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        if (kOnWindows) {
            QTest::newRow("a folder on a drive") << "C:\\MEVAN\\DATA" << true;
            QTest::newRow("another drive, small letter") << "d:\\phrases" << true;
            QTest::newRow("Program Files in small letters") << "C:\\program files\\x" << true;
            QTest::newRow("Program Files on another drive") << "D:\\Program Files\\x" << true;
            QTest::newRow("no backslash after the colon") << "C:MEVAN" << false;
            QTest::newRow("slashes") << "C:/MEVAN/DATA" << false;
            QTest::newRow("a drive alone") << "C:" << false;
            QTest::newRow("a network path") << "\\\\server\\share" << false;
            QTest::newRow("relative") << "MEVAN\\DATA" << false;
            QTest::newRow("a digit for the drive") << "1:\\x" << false;
            QTest::newRow("Program Files itself") << "C:\\Program Files" << false;
            QTest::newRow("below Program Files") << "C:\\Program Files\\KOTAR" << false;
            QTest::newRow("Program Files further down") << "D:\\x\\C:\\Program Files" << false;
            QTest::newRow("a POSIX path") << "/home/user" << false;
            return;
        }
        QTest::newRow("folder below the root") << "/home/user/MEVAN/DATA" << true;
        QTest::newRow("a folder at the root") << "/data" << true;
        QTest::newRow("a name like usr but longer") << "/usrdata/x" << true;
        QTest::newRow("usr further down") << "/home/usr" << true;
        QTest::newRow("leaving usr again") << "/usr/../home/x" << true;
        QTest::newRow("Usr in capitals") << "/Usr/local" << true;
        QTest::newRow("relative") << "home/user" << false;
        QTest::newRow("the root alone") << "/" << false;
        QTest::newRow("usr itself") << "/usr" << false;
        QTest::newRow("usr with a slash") << "/usr/" << false;
        QTest::newRow("below usr") << "/usr/local/share" << false;
        QTest::newRow("below usr, doubled slash") << "//usr/lib" << false;
        QTest::newRow("below usr, dot") << "/./usr/lib" << false;
        QTest::newRow("a drive letter path") << "C:\\MEVAN\\DATA" << false;
    }

    void PathRule() {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        ScriptedPrompter prompter;
        CSetWorkDlg dialog(prompter);
        dialog.SetPath(path.toStdString());
        dialog.show();
        QVERIFY(Click(&dialog, 1));
        if (accepted) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.path(), path.toStdString());
            QVERIFY(prompter.prompts().empty());
            return;
        }
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompter.prompts().size(), std::size_t{1});
        const kotar::MessageRequest& box = prompter.prompts()[0].message;
        QCOMPARE(box.caption, std::string("作業フォルダパス不正"));
        QCOMPARE(box.text,
                 std::string(kOnWindows ? "作業フォルダの指定が間違っているか、\nC:\\Program "
                                          "Files配下のパスを指定しています。"
                                        : "作業フォルダの指定が間違っているか、\n/"
                                          "usr配下のパスを指定しています。"));
        QVERIFY(box.icon == MessageIcon::Exclamation);
        QCOMPARE(TextOf(&dialog, 1050), path);
    }

    void APathWithALineBreakIsRefused() {
        // Typed, pasted or picked in the browser: MEVAN.INI cannot hold such a path.
        for (const char* path : {"/home/a\nb", "/home/a\rb", "/home/ab\n"}) {
            ScriptedPrompter prompter;
            CSetWorkDlg dialog(prompter);
            dialog.SetPath(path);
            dialog.show();
            QVERIFY(Click(&dialog, 1));
            QVERIFY(dialog.isVisible());
            QCOMPARE(prompter.prompts().size(), std::size_t{1});
            const kotar::MessageRequest& box = prompter.prompts()[0].message;
            QCOMPARE(box.caption, std::string("作業フォルダパス不正"));
            QCOMPARE(box.text, std::string("作業フォルダのパスに改行文字（CR、LF）は使えません。"));
            QVERIFY(box.icon == MessageIcon::Exclamation);
            QCOMPARE(dialog.path(), std::string(path));
        }
    }

    void FolderBrowserReplacesThePathAndCancelKeepsIt() {
        ScriptedPrompter prompter;
        prompter.AnswerNextDialog(std::string("/srv/phrases"));
        prompter.AnswerNextDialog(std::nullopt);
        CSetWorkDlg dialog(prompter);
        dialog.SetPath("/home/user/MEVAN/DATA");
        dialog.show();
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(TextOf(&dialog, 1050), QStringLiteral("/srv/phrases"));
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(TextOf(&dialog, 1050), QStringLiteral("/srv/phrases"));
        QCOMPARE(prompter.prompts().size(), std::size_t{2});
        QCOMPARE(prompter.prompts()[0].folder.title, std::string("作業フォルダの指定"));
        QCOMPARE(prompter.prompts()[0].folder.initial_folder, std::string("/home/user/MEVAN/DATA"));
        QCOMPARE(prompter.prompts()[1].folder.initial_folder, std::string("/srv/phrases"));
        QCOMPARE(TextOf(&dialog, 1025), QStringLiteral("フォルダの選択"));
    }

    void CancelClosesWithoutCheckingThePath() {
        ScriptedPrompter prompter;
        CSetWorkDlg dialog(prompter);
        dialog.SetPath("/usr");
        dialog.show();
        QVERIFY(Click(&dialog, 2));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(prompter.prompts().empty());
    }
};

QTEST_MAIN(SetWorkDlgTest)
#include "SetWorkDlgTest.moc"
