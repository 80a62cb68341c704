// SPDX-License-Identifier: GPL-3.0-or-later
// Single instance: a second copy is refused with 143 and the first window comes forward; copies
// started together never both run, and what a dead copy left behind does not block a start.
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QUuid>
#include <future>

#include "DeadSocket.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "app/KOTARApp.h"
#include "app/KOTARDlg.h"
#include "app/SingleInstance.h"
#include "store/DiskSpace.h"

using kotar::test::ScriptedPrompter;
using kotar::test::TempDir;
namespace fs = std::filesystem;

namespace {

QString FreshServerName() {
    return QStringLiteral("kotar-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// A server name of one test; the lock file that the program leaves is removed with it.
struct FreshName {
    QString name = FreshServerName();
    ~FreshName() { QFile::remove(kotar::SingleInstance(name).LockFilePath()); }
    operator const QString&() const { return name; }
};

// What another copy does, on a thread of its own as in a process of its own, while this one
// answers: a Windows pipe hands a request over only when the running copy reads it.
template <typename Call>
std::future<bool> Apart(Call call) {
    return std::async(std::launch::async, std::move(call));
}

}  // namespace

class StartTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void SecondCopyIsRefusedAndTheFirstWindowRaised() {
        const FreshName name;
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
        QVERIFY(first.Claim());
        first.SetRaiseRequest([&window] { window.RestoreAndRaise(); });

        kotar::CKOTARApp second({}, second_prompter, name);
        std::future<bool> refused = Apart([&second] { return second.RefuseSecondCopy(); });
        QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), 5000);
        QVERIFY(refused.get());
        QCOMPARE(second_prompter.MessageIds(), std::vector<int>{143});
        QVERIFY(second_prompter.prompts()[0].message.icon == kotar::MessageIcon::Error);
        QCOMPARE(second_prompter.prompts()[0].message.text,
                 std::string("アプリケーションはすでに起動しています。"));
        QVERIFY(window.isVisible());
    }

    void AnEndedCopyLeavesTheNameFreeAndARefusedOneTakesNothing() {
        const FreshName name;
        {
            kotar::SingleInstance ended(name);
            QVERIFY(ended.Claim());
        }
        kotar::SingleInstance next(name);
        QVERIFY(next.Claim());
        int raised = 0;
        next.SetRaiseRequest([&raised] { ++raised; });
        for (int copy = 1; copy <= 2; ++copy) {
            kotar::SingleInstance refused(name);
            QVERIFY(!refused.Claim());
            // The refused copy removed nothing: the running one still answers.
            std::future<bool> activated =
                Apart([&refused] { return refused.ActivateEarlierCopy(); });
            QTRY_COMPARE_WITH_TIMEOUT(raised, copy, 5000);
            QVERIFY(activated.get());
        }
    }

    void StaleSocketAndLockFileDoNotBlockAStart() {
        const FreshName name;
        QVERIFY(kotar::test::LeaveDeadSocket(name));
        QFile lock_file(kotar::SingleInstance(name).LockFilePath());
        QVERIFY(lock_file.open(QIODevice::WriteOnly));
        lock_file.close();

        kotar::SingleInstance started(name);
        QVERIFY(started.Claim());
        bool raised = false;
        started.SetRaiseRequest([&raised] { raised = true; });
        std::future<bool> activated =
            Apart([&name] { return kotar::SingleInstance(name).ActivateEarlierCopy(); });
        QTRY_VERIFY_WITH_TIMEOUT(raised, 5000);
        QVERIFY(activated.get());
    }

    void CopiesStartedTogether_ExactlyOneRuns() {
        const FreshName name;
        for (int round = 0; round < 10; ++round) {
            QProcess copies[2];
            for (QProcess& copy : copies)
                copy.start(QStringLiteral(KOTAR_INSTANCE_PROBE), {name.name});
            QStringList outputs;
            for (QProcess& copy : copies) {
                QVERIFY(copy.waitForFinished(40000));
                // Text-mode output ends its lines with CR LF on Windows.
                outputs << QString::fromLocal8Bit(copy.readAllStandardOutput())
                                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                               QString::number(copy.exitCode());
            }
            outputs.sort();  // which of the two ran does not matter
            QCOMPARE(outputs, (QStringList{"refused\n3", "running\nraised\n0"}));
        }
    }
};

QTEST_MAIN(StartTest)
#include "StartTest.moc"
