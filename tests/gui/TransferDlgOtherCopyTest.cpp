// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase write dialog while another copy of the program, kotar-cli, changes the property's
// phrases: what was built and played is never written once the phrases on disk changed.
#include <QTest>

#include "CliRunner.h"
#include "TransferFixture.h"

namespace fs = std::filesystem;
using kotar::MessageIcon;
using kotar::test::Bytes;
using kotar::test::Click;
using kotar::test::ReadBytes;
using kotar::test::TransferFixture;

class TransferDlgOtherCopyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void CreatedData_PhrasesChangedByAnotherCopy_AreToldOfAndBuiltAgainAtTheNextPress() {
        TransferFixture f(1);
        QVERIFY(Click(f.dialog.get(), 1131));
        QVERIFY(Click(f.dialog.get(), 1116));  // built for play
        const fs::path created = f.property() / "01.snd";
        const Bytes played = ReadBytes(created);

        // Another copy puts another phrase into slot 1 and rebuilds 01.snd; its write then
        // finds no port (the simulated device is this test's). A private copy of kotar-cli
        // keeps its communication log here.
        fs::copy_file(fs::path(kotar::test::BuiltCli().front()), f.temp / "kotar-cli");
        const auto cli = [&f](const std::vector<std::string>& args) {
            return kotar::test::RunProgram({(f.temp / "kotar-cli").string()}, args, f.temp.path(),
                                           f.temp.path());
        };
        kotar::test::WriteSlotWav(f.temp / "other.wav", "別の文", 6000);
        const kotar::test::CliRun import =
            cli({"import", "現場", "1", "other.wav", "--text", "別の文"});
        QVERIFY2(import.exit_status == 0, import.err.c_str());
        QCOMPARE(cli({"write", "現場", "--mode", "ab"}).exit_status, 1);
        const Bytes rebuilt = ReadBytes(created);
        QVERIFY(rebuilt.size() == kotar::kPhraseFileBytes && rebuilt != played);

        // Neither the image played nor the other copy's file is written: the user is told.
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(f.Messages(), 1);
        const auto& box = f.prompter.prompts().back().message;
        QCOMPARE(box.text, std::string("物件の音声データが作成後に変更されました。\n"
                                       "書込は行っていません。もう一度「書込」を押すと作り直して"
                                       "書き込みます。"));
        QCOMPARE(box.caption, std::string("書込確認"));
        QVERIFY(box.icon == MessageIcon::Exclamation);
        QCOMPARE(f.model.requests_received(), 0);

        // The next press builds from the phrases on disk and writes and checks exactly that.
        QVERIFY(Click(f.dialog.get(), 1117));
        QCOMPARE(f.Status(), QStringLiteral("不定フレーズ 書込完了（照合一致）"));
        QCOMPARE(f.Messages(), 1);
        QVERIFY(f.DevicePhrases() == ReadBytes(created));
        QVERIFY(f.DevicePhrases() == rebuilt);
    }
};

QTEST_MAIN(TransferDlgOtherCopyTest)
#include "TransferDlgOtherCopyTest.moc"
