// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's phrase commands with the real phrase dialogs, on a fake wave device: create
// by recording, by import and by speech synthesis, play, and the recording settings from the
// menu.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <memory>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "PhraseSignals.h"
#include "ScriptedPrompter.h"
#include "StandInSynthesizer.h"
#include "TempDir.h"
#include "app/KOTARDlg.h"
#include "audio/WaveFile.h"
#include "store/DiskSpace.h"

namespace fs = std::filesystem;

namespace kotar::test {
namespace {

class Space : public FreeSpaceSource {
public:
    std::optional<DiskSpace> Query(const fs::path&) override {
        return DiskSpace{100'000ull << 20, 50'000ull << 20, 50'000ull << 20};
    }
};

struct Fixture {
    Fixture() {
        SetDefaultWaveDevice(&device);
        fs::create_directories(temp / "start");
        fs::create_directories(temp / "work" / "TR_P");
        ini.WriteString("CONFIG", "PATH", (temp / "work").string());
        ini.WriteInt("CONFIG", "RECDELAY", 0);
        window.SetStartDirectory(temp / "start");
        window.SetDefaultWorkFolder(temp / "default");
        window.Initialize({});
        window.show();
    }
    ~Fixture() { SetDefaultWaveDevice(nullptr); }

    fs::path Slot(int n) const {
        return temp / "work" / "TR_P" / ("0" + std::to_string(n) + ".wav");
    }

    TempDir temp;
    ProfileFile ini{temp / "start" / "MEVAN.INI"};
    ScriptedPrompter prompter;
    Space space;
    kotar::test::FakeEndpoints endpoints;
    FakeWaveDevice device;
    CKOTARDlg window{{.ini = ini, .prompter = prompter, .space = space, .endpoints = &endpoints}};
};

}  // namespace

class AudioCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createByRecordingSavesTheSlotAndMarksIt() {
        Fixture f;
        std::unique_ptr<ModalAnswer> recording;
        QStringList titles;
        ModalAnswer method([&](QWidget* dlg) {
            titles << dlg->windowTitle();
            recording = std::make_unique<ModalAnswer>([&](QWidget* rec) {
                titles << rec->windowTitle();
                Click(rec, 1027);
                f.device.Deliver();
                f.device.CaptureSilence(24'000);
                Click(rec, 1028);
                f.device.Deliver();
                Click(rec, 1);
            });
            Click(dlg, 1013);
            Click(dlg, 1);
        });
        QVERIFY(Click(&f.window, 1006));
        QCOMPARE(titles, (QStringList{"作成方法選択", "録音"}));
        QCOMPARE(TextOf(&f.window, 1001), QStringLiteral("データあり"));
        ScriptedPrompter reader;
        CWaveFile saved(f.Slot(1).string(), CWaveFile::kAttributeMode, reader);
        QCOMPARE(saved.length(), 24'040u);
        QCOMPARE(saved.AttributeText(), f.window.configuration().slot_comments[0]);
        QCOMPARE(f.window.focusWidget(), Control(&f.window, 1004));

        // Play it: the playback dialog shows the slot's text.
        QString played_text;
        ModalAnswer play([&](QWidget* dlg) {
            played_text = TextOf(dlg, 1026);
            Click(dlg, 1);
        });
        QVERIFY(Click(&f.window, 1004));
        QVERIFY(play.answered());
        QCOMPARE(play.window_title(), QStringLiteral("再生"));
        QCOMPARE(played_text, QString::fromStdString(f.window.configuration().slot_comments[0]));
    }

    void createByImportEditsTheConvertedFileAndSavesIt() {
        Fixture f;
        ScriptedPrompter maker;
        CWaveFile source(kFormatPcm, 1, 8000, 16, 16'000, maker);
        source.set_length(16'000);
        const fs::path source_path = f.temp / "source.wav";
        QCOMPARE(source.Save(source_path.string(), ""), 1);
        f.prompter.AnswerNextDialog(source_path.string());
        std::unique_ptr<ModalAnswer> editing;
        QString edit_title;
        ModalAnswer method([&](QWidget* dlg) {
            editing = std::make_unique<ModalAnswer>([&](QWidget* edit) {
                edit_title = edit->windowTitle();
                Click(edit, 1);
            });
            Click(dlg, 1012);
            Click(dlg, 1);
        });
        QVERIFY(Click(&f.window, 1012));
        QCOMPARE(edit_title, QStringLiteral("編集"));
        QCOMPARE(TextOf(&f.window, 1003), QStringLiteral("データあり"));
        ScriptedPrompter reader;
        CWaveFile saved(f.Slot(2).string(), CWaveFile::kAudioMode, reader);
        QCOMPARE(saved.length(), 16'040u);  // the converter's length, rounded up past a block

        // A cancelled method choice does nothing.
        ModalAnswer cancel([](QWidget* dlg) { Click(dlg, 2); });
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);  // replace the phrase? (145)
        QVERIFY(Click(&f.window, 1012));
        QVERIFY(cancel.answered());
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{145});
    }

    void createBySpeechEditsTheTrimmedAndEvenedPhraseAndKeepsItsText() {
        Fixture f;
        StandInSynthesizer stand_in(f.temp / "synth");
        stand_in.WriteTo(f.ini);
        const fs::path spoken = f.temp / "work" / "TR_P" / "03.speech";
        WriteText(spoken, "前に読んだ文章");

        std::unique_ptr<ModalAnswer> speaking;
        std::unique_ptr<ModalAnswer> editing;
        QStringList titles;
        QString first_text;
        QStringList figures;
        ModalAnswer method([&](QWidget* dlg) {
            titles << dlg->windowTitle();
            speaking = std::make_unique<ModalAnswer>([&](QWidget* speech) {
                titles << speech->windowTitle();
                auto* text = Control<QPlainTextEdit>(speech, 1401);
                first_text = text->toPlainText();
                text->setPlainText("火事です。");
                editing = std::make_unique<ModalAnswer>([&](QWidget* edit) {
                    titles << edit->windowTitle();
                    figures << TextOf(edit, 1302) << EnabledOf(edit, {1307, 1308});
                    Click(edit, 1307);  // the evening taken back, the trim kept
                    figures << TextOf(edit, 1302);
                    Click(edit, 1);
                });
                Click(speech, 1);
            });
            Click(dlg, 1014);
            Click(dlg, 1);
        });
        QVERIFY(Click(&f.window, 1018));
        QVERIFY(editing && editing->answered());
        QCOMPARE(titles, (QStringList{"作成方法選択", "テキストから音声合成", "編集"}));
        QCOMPARE(first_text, QStringLiteral("前に読んだ文章"));
        QCOMPARE(figures,
                 (QStringList{"ラウドネス： -16.0 LUFS", "10", "ラウドネス： -24.4 LUFS"}));
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データあり"));
        ScriptedPrompter reader;
        CWaveFile saved(f.Slot(3).string(), CWaveFile::kAudioMode, reader);
        QCOMPARE(saved.length(), 19'198u);  // about the 1 s tone with 100 ms kept around it
        QCOMPARE(ReadText(spoken), std::string("火事です。"));
        QCOMPARE(stand_in.SpokenText(), std::string("火事です。\n"));
    }

    void editingTheCurrentPhraseSavesTheEditUnderTheSlotsComment() {
        Fixture f;
        ScriptedPrompter maker;
        const auto samples = Concat({Silence(4000), Tone(440, -20, 8000), Silence(4000)});
        QCOMPARE(PhraseOf(samples, maker).Save(f.Slot(2).string(), "火災です"), 1);
        f.window.ReloadWorkFolder();
        QString enabled;
        std::unique_ptr<ModalAnswer> editing;
        ModalAnswer method([&](QWidget* dlg) {
            enabled = EnabledOf(dlg, {1015});
            editing = std::make_unique<ModalAnswer>([&](QWidget* edit) {
                Click(edit, 1306);  // 前後の無音を削除
                Click(edit, 1);
            });
            Click(dlg, 1015);
            Click(dlg, 1);
        });
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);  // replace the phrase? (145)
        QVERIFY(Click(&f.window, 1012));
        QVERIFY(editing && editing->answered());
        QCOMPARE(enabled, QString("1"));
        QCOMPARE(editing->window_title(), QStringLiteral("編集"));
        ScriptedPrompter reader;
        QCOMPARE(CWaveFile(f.Slot(2).string(), CWaveFile::kAudioMode, reader).length(), 19'200u);
        QCOMPARE(CWaveFile(f.Slot(2).string(), CWaveFile::kAttributeMode, reader).AttributeText(),
                 f.window.configuration().slot_comments[1]);
    }

    void recordingSettingsFromTheMenuStoreTheDelay() {
        Fixture f;
        QAction* item = f.window.findChild<QAction*>("32777");
        QVERIFY(item != nullptr);
        ModalAnswer settings([](QWidget* dlg) {
            Control<QComboBox>(dlg, 1103)->setCurrentIndex(1);
            Click(dlg, 8);
        });
        item->trigger();
        QVERIFY(settings.answered());
        QCOMPARE(settings.window_title(), QStringLiteral("録音設定"));
        QCOMPARE(f.ini.GetString("CONFIG", "RECDELAY", ""), std::string("1"));
    }
};

}  // namespace kotar::test

QTEST_MAIN(kotar::test::AudioCommandsTest)
#include "AudioCommandsTest.moc"
