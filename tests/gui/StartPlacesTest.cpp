// SPDX-License-Identifier: GPL-3.0-or-later
// Single instance on a system with a per-user runtime folder: the lock lives there, and
// neither a pipe, a link nor another user's file planted where the lock goes blocks a start or
// passes for a running copy.
#include <unistd.h>
#include <QTest>
#include <QUuid>

#include "GuiHarness.h"
#include "PipeWatchdog.h"
#include "ScopedEnvironment.h"
#include "ScriptedPrompter.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "app/KOTARApp.h"
#include "app/SingleInstance.h"

using kotar::test::ScopedEnvironment;
using kotar::test::ScriptedPrompter;
using kotar::test::TempDir;
namespace fs = std::filesystem;

namespace {

QString FreshServerName() {
    return QStringLiteral("kotar-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// The session's runtime folder: one of the user's that nobody else may enter.
fs::path MakeRuntimeFolder(const TempDir& temp, ScopedEnvironment& environment) {
    fs::create_directory(temp / "run");
    fs::permissions(temp / "run", fs::perms::owner_all);
    environment.Set("XDG_RUNTIME_DIR", (temp / "run").c_str());
    return temp / "run";
}

}  // namespace

class StartPlacesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void DefaultServerNameIsPerUserAndLivesInTheUsersRuntimeFolder() {
        const QString name = kotar::SingleInstance::DefaultServerName();
        QVERIFY(name.startsWith(QStringLiteral("hPrevKOTAR")));
        QVERIFY(name.size() > 10);
        TempDir temp;
        ScopedEnvironment environment;
        const QString run = QString::fromStdString(MakeRuntimeFolder(temp, environment).string());
        const kotar::SingleInstance instance(name);
        QCOMPARE(instance.LockFilePath(),
                 run + QStringLiteral("/") + name + QStringLiteral(".lock"));
        QCOMPARE(instance.ServerAddress(), run + QStringLiteral("/") + name);
    }

    // Planted by another user: where the lock once was (in the folder every user can write
    // to), under the lock's name in the private folder, or as the fallback private folder.
    void NothingPlantedHoldsTheStartOrPassesForARunningCopy_data() {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("reason");  // empty: the lock works
        const QString not_regular = QStringLiteral(" は通常のファイルではありません。");
        const QString theirs = QStringLiteral(" は別のユーザーのものです。");
        QTest::newRow("pipe in the shared folder") << QStringLiteral("shared pipe") << QString();
        QTest::newRow("pipe") << QStringLiteral("pipe") << not_regular;
        QTest::newRow("link") << QStringLiteral("link") << not_regular;
        QTest::newRow("another user's lock") << QStringLiteral("their lock") << theirs;
        QTest::newRow("another user's folder") << QStringLiteral("their folder") << theirs;
    }

    void NothingPlantedHoldsTheStartOrPassesForARunningCopy() {
        QFETCH(QString, plant);
        QFETCH(QString, reason);
        if (plant.startsWith(QStringLiteral("their")) && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        TempDir temp;
        ScopedEnvironment environment;
        environment.Set("TMPDIR", temp.path().c_str());
        const std::string name = FreshServerName().toStdString();
        fs::path planted = MakeRuntimeFolder(temp, environment) / (name + ".lock");
        if (plant == QStringLiteral("shared pipe") || plant == QStringLiteral("their folder"))
            environment.Set("XDG_RUNTIME_DIR", nullptr);
        if (plant == QStringLiteral("shared pipe"))
            planted = temp / (name + ".lock");
        if (plant == QStringLiteral("their folder")) {
            planted = temp / ("kotar-" + std::to_string(::geteuid()));
            fs::create_directory(planted);
        } else if (plant == QStringLiteral("link")) {
            fs::create_symlink(temp / "elsewhere", planted);
        } else if (plant == QStringLiteral("their lock")) {
            kotar::test::WriteText(planted, "");
        } else {
            QVERIFY(kotar::test::MakeSpecialFile(planted));
        }
        if (plant.startsWith(QStringLiteral("their")))
            QCOMPARE(::chown(planted.c_str(), 65534, 65534), 0);

        kotar::test::PipeWatchdog watchdog(planted);
        ScriptedPrompter prompter;
        kotar::CKOTARApp app({}, prompter, QString::fromStdString(name));
        QVERIFY(!app.RefuseSecondCopy());  // never 143
        QVERIFY(!watchdog.Fired());
        if (reason.isEmpty()) {
            QVERIFY(prompter.prompts().empty());
            return;
        }
        QCOMPARE(prompter.prompts().size(), std::size_t(1));
        QVERIFY(prompter.prompts()[0].message.icon == kotar::MessageIcon::Exclamation);
        QCOMPARE(QString::fromStdString(prompter.prompts()[0].message.text),
                 QStringLiteral("起動中のアプリケーションを確認できません。\n") +
                     QString::fromStdString(planted.string()) + reason +
                     QStringLiteral("\nこのまま起動します。"));
    }
};

QTEST_MAIN(StartPlacesTest)
#include "StartPlacesTest.moc"
