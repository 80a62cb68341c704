// Single instance: a second copy is refused with 143 and the first window comes forward.
#include <QTest>
#include <QUuid>

#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "app/KOTARApp.h"
#include "app/KOTARDlg.h"
#include "app/SingleInstance.h"
#include "store/DiskSpace.h"

using kotar::test::ScriptedPrompter;

class StartTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void DefaultServerNameIsPerUser() {
        const QString name = kotar::SingleInstance::DefaultServerName();
        QVERIFY(name.startsWith(QStringLiteral("hPrevKOTAR")));
        QVERIFY(name.size() > 10);
    }

    void SecondCopyIsRefusedAndTheFirstWindowRaised() {
        const QString name =
            QStringLiteral("kotar-test-") + QUuid::createUuid().toString(QUuid::Id128);
        kotar::test::TempDir temp;
        kotar::ProfileFile ini(temp / "MEVAN.INI");
        ini.WriteString("CONFIG", "PATH", temp.path().string());
        ScriptedPrompter first_prompter;
        kotar::FilesystemSpaceSource space;
        kotar::CKOTARDlg window({.ini = ini, .prompter = first_prompter, .space = space});
        window.SetDefaultWorkFolder(temp / "default");
        window.Initialize({});
        window.showMinimized();
        QVERIFY(window.isMinimized());

        // No copy runs yet under this name.
        ScriptedPrompter second_prompter;
        {
            kotar::CKOTARApp lone({}, second_prompter, name);
            QVERIFY(!lone.RefuseSecondCopy());
            QVERIFY(second_prompter.prompts().empty());
        }

        kotar::SingleInstance first(name);
        QVERIFY(first.BecomeRunningCopy([&window] { window.RestoreAndRaise(); }));

        kotar::CKOTARApp second({}, second_prompter, name);
        QVERIFY(second.RefuseSecondCopy());
        QCOMPARE(second_prompter.MessageIds(), std::vector<int>{143});
        QVERIFY(second_prompter.prompts()[0].message.icon == kotar::MessageIcon::Error);
        QCOMPARE(second_prompter.prompts()[0].message.text,
                 std::string("アプリケーションはすでに起動しています。"));
        QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), 5000);
        QVERIFY(window.isVisible());
    }

    void AnEndedCopyLeavesTheNameFree() {
        const QString name =
            QStringLiteral("kotar-test-") + QUuid::createUuid().toString(QUuid::Id128);
        {
            kotar::SingleInstance ended(name);
            QVERIFY(ended.BecomeRunningCopy({}));
        }
        kotar::SingleInstance next(name);
        QVERIFY(!next.EarlierCopyRunning());
        QVERIFY(next.BecomeRunningCopy({}));
        QVERIFY(kotar::SingleInstance(name).EarlierCopyRunning());
    }
};

QTEST_MAIN(StartTest)
#include "StartTest.moc"
