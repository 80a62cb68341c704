// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven through its controls: start-up state, phrase panel modes, the data
// kind of the write/read command, slot commands, keyboard, menus and the property commands.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "FakeEndpoints.h"
#include "FakeWaveDevice.h"
#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "app/KOTARDlg.h"
#include "audio/EditDlg.h"
#include "audio/RecDlg.h"
#include "audio/WaveFile.h"
#include "common/Messages.h"
#include "store/DiskSpace.h"

namespace fs = std::filesystem;
using kotar::CKOTARDlg;
using kotar::MessageAnswer;
using kotar::MessageButtons;
using kotar::MessageIcon;
using kotar::test::Button;
using kotar::test::Click;
using kotar::test::Control;
using kotar::test::IsEnabled;
using kotar::test::ModalAnswer;
using kotar::test::ScriptedPrompter;
using kotar::test::TempDir;
using kotar::test::TextOf;
using kotar::test::WriteSlotWav;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

class FakeSpace : public kotar::FreeSpaceSource {
public:
    std::optional<kotar::DiskSpace> Query(const fs::path&) override { return space; }
    kotar::DiskSpace space{100'000 * kMiB, 50'000 * kMiB, 50'000 * kMiB};
};

// The data kinds by the text the write/read dialog shows for them.
int KindOfModeText(const QString& text) {
    const QStringList texts{"音声データなし", "音声データＡ", "音声データＢ",
                            "音声データＡ＋Ｂ（連続）", "音声データＡ＋Ｂ（個別）"};
    return static_cast<int>(texts.indexOf(text));
}

// A start directory with MEVAN.INI pointing at a work folder, and the main window over them,
// recording and playing on a fake wave device.
struct Fixture {
    explicit Fixture(std::vector<std::string> arguments = {}, bool initialize = true) {
        kotar::SetDefaultWaveDevice(&device);
        fs::create_directories(start());
        fs::create_directories(work());
        ini.WriteString("CONFIG", "PATH", work().string());
        window.SetStartDirectory(start());
        window.SetDefaultWorkFolder(temp / "default");
        if (initialize)
            Start(std::move(arguments));
    }
    ~Fixture() { kotar::SetDefaultWaveDevice(nullptr); }

    void Start(std::vector<std::string> arguments) {
        window.Initialize(arguments);
        window.show();
    }

    fs::path start() const { return temp / "start"; }
    fs::path work() const { return temp / "work"; }
    fs::path Property(const std::string& name) const {
        return work() / kotar::PathFromUtf8("TR_" + name);
    }
    // A property with phrases in the slots whose texts are not empty.
    void AddProperty(const std::string& name, const std::array<std::string, 3>& texts) {
        fs::create_directories(Property(name));
        for (int i = 0; i < 3; ++i) {
            if (!texts[i].empty()) {
                WriteSlotWav(Property(name) / ("0" + std::to_string(i + 1) + ".wav"), texts[i]);
            }
        }
    }

    // Clicks the write/read button; a dialog it opens is noted in write_read_calls and closed.
    bool ClickWriteRead() {
        ModalAnswer answer([this](QWidget* dialog) {
            const QString header = TextOf(dialog, 1081);
            const QString prefix = QStringLiteral("物件名称：");
            write_read_calls.push_back(
                {(header.startsWith(prefix) ? header.mid(prefix.size()) : header).toStdString(),
                 KindOfModeText(TextOf(dialog, 1122))});
            Click(dialog, 2);
        });
        return Click(&window, 1080);
    }

    // Clicks a slot's create button and answers as a user would: the creation method dialog
    // with creation_method (0: cancel), then a 1.5-second take in the recording dialog or OK in
    // the edit dialog; what the phrase dialogs showed is noted in recorded and edited.
    bool ClickCreate(int id) {
        std::unique_ptr<ModalAnswer> phrase;
        ModalAnswer method([this, &phrase](QWidget* dialog) {
            creation_texts.push_back(TextOf(dialog, 1023).toStdString());
            if (creation_method == 0) {
                Click(dialog, 2);
                return;
            }
            phrase = std::make_unique<ModalAnswer>([this](QWidget* next) {
                if (auto* recording = dynamic_cast<kotar::CRecDlg*>(next))
                    Record(*recording);
                if (auto* edit = dynamic_cast<kotar::CEditDlg*>(next)) {
                    edited.push_back({TextOf(edit, 1026).toStdString(), edit->max_seconds(), {}});
                    Click(edit, 1);
                }
            });
            Click(dialog, creation_method == 1 ? 1012 : 1013);
            Click(dialog, 1);
        });
        return Click(&window, id);
    }

    void Record(kotar::CRecDlg& dialog) {
        dialog.set_countdown_wait([](int) {});
        Click(&dialog, 1027);
        device.Deliver();
        device.CaptureSilence(24'000);
        Click(&dialog, 1028);
        device.Deliver();
        recorded.push_back(
            {TextOf(&dialog, 1026).toStdString(), dialog.max_seconds(), dialog.countdown_shown()});
        Click(&dialog, 1);
    }

    QRadioButton* Radio(int id) const { return Control<QRadioButton>(&window, id); }
    QComboBox* List() const { return Control<QComboBox>(&window, 1009); }

    struct WriteReadCall {
        std::string name;
        int kind;
    };
    // What a phrase dialog showed: its message text, its length limit and (recording) the
    // seconds its countdown showed.
    struct PhraseDialogSeen {
        std::string message_text;
        double max_seconds;
        std::vector<int> countdown;
    };

    TempDir temp;
    kotar::ProfileFile ini{temp / "start" / "MEVAN.INI"};
    ScriptedPrompter prompter;
    FakeSpace space;
    kotar::test::FakeEndpoints endpoints;
    kotar::test::FakeWaveDevice device;
    CKOTARDlg window{{.ini = ini, .prompter = prompter, .space = space, .endpoints = &endpoints}};
    std::vector<WriteReadCall> write_read_calls;
    std::vector<std::string> creation_texts;
    std::vector<PhraseDialogSeen> recorded;
    std::vector<PhraseDialogSeen> edited;
    int creation_method = 2;
};

QStringList StatusTexts(const QWidget* window) {
    return {TextOf(window, 1001), TextOf(window, 1003), TextOf(window, 1015)};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void StartUp_ContinuousModeAndRomButtonBySlot3OfTheFirstProperty() {
        Fixture f({}, false);
        f.AddProperty("Alpha", {"", "", "全体"});
        f.AddProperty("beta", {"前半", "後半", ""});
        f.Start({});

        QVERIFY(f.Radio(1071)->isChecked());
        QVERIFY(!f.Radio(1068)->isChecked());
        QCOMPARE(f.List()->currentText(), QStringLiteral("Alpha"));
        QCOMPARE(StatusTexts(&f.window), (QStringList{"データなし", "データなし", "データあり"}));
        QVERIFY(IsEnabled(&f.window, 1072));
        for (int id : {1010, 1014, 1053, 1080, 1009, 1068, 1071})
            QVERIFY(IsEnabled(&f.window, id));
        // Slot buttons: create always, play and delete only with a phrase.
        QVERIFY(IsEnabled(&f.window, 1006) && !IsEnabled(&f.window, 1004) &&
                !IsEnabled(&f.window, 1055));
        QVERIFY(IsEnabled(&f.window, 1018) && IsEnabled(&f.window, 1016) &&
                IsEnabled(&f.window, 1023));
        QCOMPARE(f.window.focusWidget(), static_cast<QWidget*>(f.List()));
        // Captions from the configuration.
        QCOMPARE(f.window.findChild<QGroupBox*>("1011")->title(),
                 QStringLiteral("１．音声フレーズＡ"));
        QCOMPARE(f.window.findChild<QGroupBox*>("1019")->title(),
                 QStringLiteral("３．音声フレーズＡ＋Ｂ"));

        // The second property has no phrase in slot 3: in continuous mode nothing to export.
        f.List()->setCurrentIndex(1);
        Q_EMIT f.List()->activated(1);
        QCOMPARE(StatusTexts(&f.window), (QStringList{"データあり", "データあり", "データなし"}));
        QVERIFY(!IsEnabled(&f.window, 1072));
        QVERIFY(f.Radio(1071)->isChecked());
    }

    void StartUp_WithoutPropertiesOnlyNewPropertyIsUsable() {
        Fixture f;
        QCOMPARE(f.List()->count(), 0);
        QCOMPARE(StatusTexts(&f.window), (QStringList{"", "", ""}));
        QVERIFY(IsEnabled(&f.window, 1010));
        for (int id :
             {1014, 1053, 1080, 1072, 1004, 1055, 1006, 1007, 1056, 1012, 1016, 1023, 1018}) {
            QVERIFY2(!IsEnabled(&f.window, id), qPrintable(QString::number(id)));
        }
        for (int id : {1009, 1068, 1071})
            QVERIFY(IsEnabled(&f.window, id));
        QVERIFY(!f.window.WriteReadDataKind().has_value());
        QVERIFY(f.ClickWriteRead());
        QVERIFY(f.write_read_calls.empty());
    }

    void UnreadableSlotFile_Message110AndTheOtherSlotsShowTheirOwnState() {
        Fixture f({}, false);
        f.AddProperty("P", {"前半", "", "全体"});
        kotar::test::WriteText(f.Property("P") / "02.wav", "not a wave file");
        f.Start({});
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{110});
        QCOMPARE(f.List()->currentText(), QStringLiteral("P"));
        QCOMPARE(StatusTexts(&f.window), (QStringList{"データあり", "データなし", "データあり"}));
        // The broken file can be replaced or deleted, not played.
        QVERIFY(IsEnabled(&f.window, 1012) && IsEnabled(&f.window, 1056));
        QVERIFY(!IsEnabled(&f.window, 1007));
        for (int id : {1004, 1055, 1006, 1016, 1023, 1018, 1072})
            QVERIFY2(IsEnabled(&f.window, id), qPrintable(QString::number(id)));
        // Continuous mode does not draw on slot 2; in A/B mode nothing is made while it cannot
        // be read (an image of slot 1 alone would lack its phrase without a word).
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(3));
        f.Radio(1068)->click();
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(0));
        QVERIFY(IsEnabled(&f.window, 1072));
        // The rest of the start-up ran all the same: no maintenance menu without the switch.
        QVERIFY(!f.window.maintenance_menu_present());

        QVERIFY(Click(&f.window, 1056));
        QVERIFY(!fs::exists(f.Property("P") / "02.wav"));
        QVERIFY(IsEnabled(&f.window, 1012) && !IsEnabled(&f.window, 1056));
    }

    void UnreadableSlotOfTheMode_RomExportAndWriteReadMakeNothingAndNameIt() {
        Fixture f({}, false);
        f.AddProperty("P", {"", "後半", "全体"});
        kotar::test::WriteText(f.Property("P") / "01.wav", "not a wave file");
        f.Start({});
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{110});
        const std::string refusal =
            "「１．音声フレーズＡ」の音声ファイルを読み込めないため、音声データを作成できません。"
            "\n" +
            (f.Property("P") / "01.wav").string() + "\n音声を作成し直すか、削除してください。";
        QVERIFY(Click(&f.window, 1068));
        QVERIFY(IsEnabled(&f.window, 1072));
        QVERIFY(Click(&f.window, 1072));
        QCOMPARE(f.prompter.prompts().size(), std::size_t{2});  // no save dialog
        QCOMPARE(f.prompter.prompts()[1].message.text, refusal);
        QVERIFY(f.prompter.prompts()[1].message.icon == MessageIcon::Exclamation);

        // The write/read dialog still opens (for chosen files and reading), making nothing.
        QVERIFY(f.ClickWriteRead());
        QCOMPARE(f.prompter.prompts().size(), std::size_t{3});
        QCOMPARE(f.prompter.prompts()[2].message.text, refusal);
        QCOMPARE(f.write_read_calls.size(), std::size_t{1});
        QCOMPARE(f.write_read_calls[0].kind, 0);

        // Continuous mode draws on slot 3 alone: its export goes on to the save dialog.
        QVERIFY(Click(&f.window, 1071));
        QVERIFY(Click(&f.window, 1072));
        QCOMPARE(f.prompter.prompts().size(), std::size_t{4});
        QVERIFY(f.prompter.prompts()[3].kind == ScriptedPrompter::Prompt::Kind::SaveFile);
    }

    void AbModeWithOnlySlot2_EnablesRomButtonAndGivesDataKind2() {
        Fixture f({}, false);
        f.AddProperty("B only", {"", "後半", ""});
        f.Start({});
        QVERIFY(!IsEnabled(&f.window, 1072));
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(0));

        QVERIFY(Click(&f.window, 1068));
        QVERIFY(f.Radio(1068)->isChecked() && !f.Radio(1071)->isChecked());
        QVERIFY(IsEnabled(&f.window, 1072));
        QVERIFY(f.ClickWriteRead());
        QCOMPARE(f.write_read_calls.size(), std::size_t{1});
        QCOMPARE(f.write_read_calls[0].name, std::string("B only"));
        QCOMPARE(f.write_read_calls[0].kind, 2);

        QVERIFY(Click(&f.window, 1071));
        QVERIFY(!IsEnabled(&f.window, 1072));
    }

    void WriteReadDataKinds_ByModeAndSlots() {
        Fixture f({}, false);
        f.AddProperty("a1 both", {"A", "B", ""});
        f.AddProperty("a2 first", {"A", "", "C"});
        f.AddProperty("a3 none", {"", "", ""});
        f.Start({});
        auto select = [&f](int index) {
            f.List()->setCurrentIndex(index);
            Q_EMIT f.List()->activated(index);
        };
        QVERIFY(Click(&f.window, 1068));
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(4));
        select(1);
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(1));
        QVERIFY(Click(&f.window, 1071));
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(3));
        select(2);
        QCOMPARE(f.window.WriteReadDataKind(), std::optional<int>(0));
        // A/B mode without any phrase still opens the write/read dialog, with kind 0.
        QVERIFY(Click(&f.window, 1068));
        QVERIFY(!IsEnabled(&f.window, 1072));
        QVERIFY(f.ClickWriteRead());
        QCOMPARE(f.write_read_calls.size(), std::size_t{1});
        QCOMPARE(f.write_read_calls[0].kind, 0);
        QCOMPARE(f.write_read_calls[0].name, std::string("a3 none"));
    }

    void RomWriterExport_AbModeWithSlot2OnlySavesAKind2Image() {
        Fixture f({}, false);
        f.AddProperty("P", {"", "後半", "全体"});
        f.Start({});
        QVERIFY(Click(&f.window, 1068));
        const fs::path out = f.temp / "rom" / "phrase.snd";
        fs::create_directories(out.parent_path());
        f.prompter.AnswerNextDialog(out.string());
        QVERIFY(Click(&f.window, 1072));

        QCOMPARE(f.prompter.prompts().size(), std::size_t{2});
        const auto& save = f.prompter.prompts()[0];
        QVERIFY(save.kind == ScriptedPrompter::Prompt::Kind::SaveFile);
        QCOMPARE(save.file.default_extension, std::string("snd"));
        QCOMPARE(save.file.filter, std::string("SND(*.snd)|*.snd|全て(*.*)|*.*||"));
        QVERIFY(save.file.prompt_overwrite);
        QCOMPARE(save.file.initial_folder, f.Property("P").string());
        QCOMPARE(f.prompter.prompts()[1].message.message_id, 116);
        QVERIFY(f.prompter.prompts()[1].message.icon == MessageIcon::Information);

        const std::vector<std::uint8_t> image = kotar::test::ReadBytes(out);
        QCOMPARE(image.size(), std::size_t{131072});
        // Area A stays 0xFF; slot 2's phrase begins area B.
        QVERIFY(std::all_of(image.begin(), image.begin() + 65536,
                            [](std::uint8_t b) { return b == 0xFF; }));
        QVERIFY(std::any_of(image.begin() + 65536, image.end(),
                            [](std::uint8_t b) { return b != 0xFF; }));
    }

    void RomWriterExport_CancelledSaveDialogDoesNothing() {
        Fixture f({}, false);
        f.AddProperty("P", {"", "", "全体"});
        f.Start({});
        QVERIFY(IsEnabled(&f.window, 1072));
        QVERIFY(Click(&f.window, 1072));
        QCOMPARE(f.prompter.prompts().size(), std::size_t{1});
        QVERIFY(f.prompter.prompts()[0].kind == ScriptedPrompter::Prompt::Kind::SaveFile);
        QVERIFY(!fs::exists(f.work() / "TEMP" / "uLaw03.wav"));
    }

    void ModeIsKeptAcrossReloads() {
        Fixture f({}, false);
        f.AddProperty("P", {"A", "", ""});
        f.Start({});
        QVERIFY(Click(&f.window, 1068));
        f.window.ReloadWorkFolder();
        QVERIFY(f.Radio(1068)->isChecked());
        QVERIFY(IsEnabled(&f.window, 1072));
    }

    void CreateOverAFilledSlot_AsksMessage145AndNoChangesNothing() {
        Fixture f({}, false);
        f.AddProperty("P", {"", "", "全体"});
        f.Start({});
        f.prompter.AnswerNextMessage(MessageAnswer::No);
        QVERIFY(f.ClickCreate(1018));
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{145});
        const kotar::MessageRequest& ask = f.prompter.prompts()[0].message;
        QVERIFY(ask.icon == MessageIcon::Question);
        QVERIFY(ask.buttons == MessageButtons::YesNo);
        QCOMPARE(ask.text, std::string("すでに音声が登録されています。\n音声を作成し直しますか？"));
        QVERIFY(f.creation_texts.empty());
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データあり"));
        QCOMPARE(f.window.store().slots()[2].attribute_text, std::string("全体"));

        // An empty slot is created without asking; the method dialog gets the slot's comment.
        f.prompter.Clear();
        f.creation_method = 0;
        QVERIFY(f.ClickCreate(1006));
        QVERIFY(f.prompter.MessageIds().empty());
        QCOMPARE(f.creation_texts, std::vector<std::string>{"音声フレーズＡ"});
        QVERIFY(f.recorded.empty());
        QCOMPARE(TextOf(&f.window, 1001), QStringLiteral("データなし"));
    }

    void RecordingAndDeletingSlot3_StatusRomButtonAndFocus() {
        Fixture f({}, false);
        f.AddProperty("P", {"A", "", ""});
        f.Start({});
        QVERIFY(!IsEnabled(&f.window, 1072));

        QVERIFY(f.ClickCreate(1018));
        QCOMPARE(f.recorded.size(), std::size_t{1});
        const Fixture::PhraseDialogSeen& recording = f.recorded[0];
        QCOMPARE(recording.message_text, std::string("音声フレーズＡ＋Ｂ"));
        QCOMPARE(recording.max_seconds, 16.384);
        QCOMPARE(recording.countdown, (std::vector<int>{3, 2, 1}));
        // Slot 3 of the selected property in the work folder holds the take and its text.
        QCOMPARE(f.window.store().slots()[2].wav_path, (f.Property("P") / "03.wav").string());
        ScriptedPrompter reader;
        const kotar::CWaveFile saved((f.Property("P") / "03.wav").string(),
                                     kotar::CWaveFile::kAttributeMode, reader);
        QCOMPARE(saved.AttributeText(), std::string("音声フレーズＡ＋Ｂ"));
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データあり"));
        QVERIFY(IsEnabled(&f.window, 1016) && IsEnabled(&f.window, 1023));
        QVERIFY(IsEnabled(&f.window, 1072));
        QCOMPARE(f.window.focusWidget(), Control(&f.window, 1016));

        kotar::test::WriteBytes(f.Property("P") / "03.snd", {1, 2, 3});
        kotar::test::WriteBytes(f.Property("P") / "04.snd", {1, 2, 3});
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);
        QVERIFY(Click(&f.window, 1023));
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{108});
        QVERIFY(!fs::exists(f.Property("P") / "03.wav"));
        QVERIFY(!fs::exists(f.Property("P") / "03.snd"));
        QVERIFY(fs::exists(f.Property("P") / "04.snd"));
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データなし"));
        QVERIFY(!IsEnabled(&f.window, 1016) && !IsEnabled(&f.window, 1023));
        QVERIFY(IsEnabled(&f.window, 1018));
        QVERIFY(!IsEnabled(&f.window, 1072));
        QCOMPARE(f.window.focusWidget(), Control(&f.window, 1018));

        // Declining the deletion keeps the phrase.
        f.prompter.Clear();
        f.prompter.AnswerNextMessage(MessageAnswer::No);
        QVERIFY(Click(&f.window, 1055));
        QVERIFY(fs::exists(f.Property("P") / "01.wav"));
        QCOMPARE(TextOf(&f.window, 1001), QStringLiteral("データあり"));
    }

    void ImportChoosesAWavFileWithTheDocumentedDialog() {
        Fixture f({}, false);
        f.AddProperty("P", {"", "", ""});
        f.Start({});
        f.creation_method = 1;
        // One second of PCM 8000 Hz 16-bit mono to import.
        const fs::path source_path = f.temp / "source.wav";
        {
            ScriptedPrompter maker;
            kotar::CWaveFile source(kotar::kFormatPcm, 1, 8000, 16, 16'000, maker);
            source.set_length(16'000);
            QCOMPARE(source.Save(source_path.string(), ""), 1);
        }

        // Cancelled file dialog: nothing imported.
        QVERIFY(f.ClickCreate(1012));
        QVERIFY(f.edited.empty());
        f.prompter.AnswerNextDialog(source_path.string());
        QVERIFY(f.ClickCreate(1012));
        QCOMPARE(f.edited.size(), std::size_t{1});
        QCOMPARE(f.edited[0].message_text, std::string("音声フレーズＢ"));
        QCOMPARE(f.edited[0].max_seconds, 8.192);
        // The chosen file's sound, converted, is the slot's phrase.
        ScriptedPrompter reader;
        const kotar::CWaveFile saved((f.Property("P") / "02.wav").string(),
                                     kotar::CWaveFile::kAudioMode, reader);
        QCOMPARE(saved.length(), 16'040u);
        const kotar::FileDialogRequest& open = f.prompter.prompts()[0].file;
        QVERIFY(f.prompter.prompts()[0].kind == ScriptedPrompter::Prompt::Kind::OpenFile);
        QCOMPARE(open.default_extension, std::string("wav"));
        QCOMPARE(open.initial_name, std::string("*.wav"));
        QCOMPARE(open.filter, std::string("Wave(*.wav)|*.wav|全て(*.*)|*.*||"));
        QCOMPARE(TextOf(&f.window, 1003), QStringLiteral("データあり"));
        QCOMPARE(f.window.store().slots()[1].attribute_text, std::string("音声フレーズＢ"));
        QCOMPARE(f.window.focusWidget(), Control(&f.window, 1007));

        // The chooser opens at home until a file was chosen, then in that file's folder.
        QVERIFY(f.ClickCreate(1012));
        std::vector<std::string> folders;
        for (const auto& prompt : f.prompter.prompts()) {
            if (prompt.kind == ScriptedPrompter::Prompt::Kind::OpenFile)
                folders.push_back(prompt.file.initial_folder);
        }
        const std::string home = QDir::toNativeSeparators(QDir::homePath()).toStdString();
        QCOMPARE(folders, (std::vector<std::string>{home, home, f.temp.path().string()}));
    }

    void EnterAndEscapeDoNothing_AltF4Ends() {
        Fixture f;
        QApplication::setActiveWindow(&f.window);
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QTest::keyClick(f.List(), Qt::Key_Return);
        QTest::keyClick(f.List(), Qt::Key_Enter);
        QTest::keyClick(f.List(), Qt::Key_Escape);
        QTest::keyClick(&f.window, Qt::Key_Escape);
        // Enter on a focused button does not press it either.
        {
            ModalAnswer opened([](QWidget* dialog) { dialog->close(); });
            Button(&f.window, 1010)->setFocus();
            QTest::keyClick(Button(&f.window, 1010), Qt::Key_Return);
            QVERIFY(!opened.answered());
        }
        QVERIFY(f.window.isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        QTest::keyClick(&f.window, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.window.result(), int(QDialog::Accepted));
    }

    void ExitMenuItemAndTheCloseBoxEndTheWindowAlike() {
        const auto ends = [](const std::function<void(CKOTARDlg&)>& how) {
            Fixture f;
            int finished = 0;
            QObject::connect(&f.window, &QDialog::finished, [&](int result) {
                finished += result == QDialog::Accepted ? 1 : 100;
            });
            how(f.window);
            return !f.window.isVisible() && f.window.result() == QDialog::Accepted && finished == 1;
        };
        QVERIFY(ends([](CKOTARDlg& window) {
            QAction* exit = window.findChild<QAction*>("32775");
            QCOMPARE(exit->text(), QStringLiteral("アプリケーションの終了\tALT+F4"));
            exit->trigger();
        }));
        // What the window system asks for with the close box (Alt+F4 under a window manager).
        QVERIFY(ends([](CKOTARDlg& window) { QVERIFY(window.windowHandle()->close()); }));

        Fixture f;
        const Qt::WindowFlags flags = f.window.windowFlags();
        QVERIFY(flags.testFlags(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                                Qt::WindowTitleHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    }

    void MenusByCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("menus");
        QTest::newRow("no argument") << QStringList{} << 3;
        QTest::newRow("maintenance") << QStringList{"maintenance"} << 4;
        QTest::newRow("/maintenance") << QStringList{"/maintenance"} << 4;
        QTest::newRow("-maintenance") << QStringList{"-maintenance"} << 4;
        QTest::newRow("other, then maintenance") << QStringList{"x", "maintenance"} << 4;
        QTest::newRow("MAINTENANCE") << QStringList{"MAINTENANCE"} << 3;
        QTest::newRow("maintenance, then other") << QStringList{"maintenance", "x"} << 3;
    }

    void MenusByCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, menus);
        std::vector<std::string> args;
        for (const QString& a : arguments)
            args.push_back(a.toStdString());
        Fixture f(args);
        QMenuBar* bar = f.window.findChild<QMenuBar*>("168");
        QVERIFY(bar != nullptr);
        QCOMPARE(bar->actions().size(), menus);
        QStringList titles;
        for (QAction* a : bar->actions())
            titles << a->text();
        QStringList expected{"ファイル(&F)", "設定(&S)", "ヘルプ(&H)", "保守(&M)"};
        QCOMPARE(titles, expected.mid(0, menus));
        QCOMPARE(f.window.maintenance_menu_present(), menus == 4);
    }

    void NewPropertyLeavingLessThan500MiB_DisablesNewUntilReload() {
        Fixture f;
        f.space.space.available_bytes = 499 * kMiB;
        ModalAnswer answer([](QWidget* dialog) {
            kotar::test::Type(dialog, 1024, QStringLiteral("新しい物件"));
            Click(dialog, 1);
        });
        QVERIFY(Click(&f.window, 1010));
        QVERIFY(answer.answered());
        QCOMPARE(answer.window_title(), QStringLiteral("新規物件"));
        QVERIFY(fs::is_directory(f.Property("新しい物件")));
        QCOMPARE(f.List()->currentText(), QStringLiteral("新しい物件"));
        QVERIFY(!IsEnabled(&f.window, 1010));
        for (int id : {1014, 1053, 1080})
            QVERIFY(IsEnabled(&f.window, id));
        QCOMPARE(StatusTexts(&f.window), (QStringList{"データなし", "データなし", "データなし"}));

        // The work folder command reloads, whatever it was given: new property is usable again.
        ModalAnswer keep([](QWidget* dialog) { Click(dialog, 1); });
        f.window.findChild<QAction*>("32773")->trigger();
        QVERIFY(keep.answered());
        QVERIFY(IsEnabled(&f.window, 1010));
    }

    void NewPropertyAsCopyOfTheSelected() {
        Fixture f({}, false);
        f.AddProperty("Src", {"A", "", "C"});
        f.Start({});
        ModalAnswer answer([](QWidget* dialog) {
            kotar::test::Type(dialog, 1024, QStringLiteral("Copy"));
            Click(dialog, 1049);
            Click(dialog, 1);
        });
        QVERIFY(Click(&f.window, 1010));
        QVERIFY(answer.answered());
        QCOMPARE(f.List()->currentText(), QStringLiteral("Copy"));
        QVERIFY(fs::exists(f.Property("Copy") / "01.wav"));
        QCOMPARE(StatusTexts(&f.window), (QStringList{"データあり", "データなし", "データあり"}));
        QVERIFY(IsEnabled(&f.window, 1010));
    }

    void SearchCommandSelectsTheChosenProperty() {
        Fixture f({}, false);
        f.AddProperty("first", {"", "", ""});
        f.AddProperty("second", {"", "", "C"});
        f.Start({});
        ModalAnswer answer([](QWidget* dialog) {
            kotar::test::Type(dialog, 1056, QStringLiteral("sec"));
            Click(dialog, 1025);
            Click(dialog, 1);
        });
        QVERIFY(Click(&f.window, 1053));
        QVERIFY(answer.answered());
        QCOMPARE(answer.window_title(), QStringLiteral("物件選択"));
        QCOMPARE(f.List()->currentText(), QStringLiteral("second"));
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データあり"));
        QVERIFY(IsEnabled(&f.window, 1072));
    }

    void SearchChoosingAPropertyMadeOrRemovedByAnotherCopy() {
        Fixture f({}, false);
        f.AddProperty("first", {"", "", ""});
        f.Start({});
        // Chooses a property in the search dialog, removing its folder first when asked.
        auto choose = [&f](const char* name, bool removed) {
            ModalAnswer answer([&f, name, removed](QWidget* dialog) {
                kotar::test::Type(dialog, 1056, QString::fromUtf8(name));
                Click(dialog, 1025);
                if (removed)
                    fs::remove_all(f.Property(name));
                Click(dialog, 1);
            });
            return Click(&f.window, 1053) && answer.answered();
        };
        // Made after this window listed the work folder.
        f.AddProperty("later", {"", "", "C"});
        QVERIFY(choose("later", false));
        QCOMPARE(f.List()->currentText(), QStringLiteral("later"));
        QCOMPARE(TextOf(&f.window, 1015), QStringLiteral("データあり"));
        QVERIFY(f.prompter.prompts().empty());

        f.AddProperty("gone", {"", "", ""});
        QVERIFY(choose("gone", true));
        QCOMPARE(f.prompter.prompts().size(), std::size_t{1});
        QCOMPARE(f.prompter.prompts()[0].message.text,
                 std::string("選択した物件が見つかりません。\ngone"));
        QVERIFY(f.prompter.prompts()[0].message.icon == MessageIcon::Exclamation);
        QCOMPARE(f.List()->count(), 2);
        QCOMPARE(f.List()->currentText(), QStringLiteral("later"));
    }

    void DeletingTheLastPropertySelectsThePreviousAndTheOnlyOneLeavesNone() {
        Fixture f({}, false);
        f.AddProperty("a", {"", "", "C"});
        f.AddProperty("b", {"", "", ""});
        f.Start({});
        f.List()->setCurrentIndex(1);
        Q_EMIT f.List()->activated(1);
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);
        QVERIFY(Click(&f.window, 1014));
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{118});
        QVERIFY(f.prompter.prompts()[0].message.default_answer == MessageAnswer::No);
        QVERIFY(!fs::exists(f.Property("b")));
        QCOMPARE(f.List()->count(), 1);
        QCOMPARE(f.List()->currentText(), QStringLiteral("a"));
        QVERIFY(IsEnabled(&f.window, 1072));

        f.prompter.AnswerNextMessage(MessageAnswer::Yes);
        QVERIFY(Click(&f.window, 1014));
        QCOMPARE(f.List()->count(), 0);
        QCOMPARE(StatusTexts(&f.window), (QStringList{"", "", ""}));
        for (int id : {1014, 1053, 1080, 1072, 1018, 1016, 1023})
            QVERIFY(!IsEnabled(&f.window, id));
        QVERIFY(IsEnabled(&f.window, 1010));
    }

    void WorkFolderCommand_MissingFolderAndTheAnswersTo152() {
        Fixture f;
        const fs::path other = f.temp / "other";
        // No: the old work folder stays, and is written back.
        f.prompter.AnswerNextMessage(MessageAnswer::No);
        ModalAnswer no_answer([&other](QWidget* dialog) {
            kotar::test::Type(dialog, 1050, QString::fromStdString(other.string()));
            Click(dialog, 1);
        });
        f.window.findChild<QAction*>("32773")->trigger();
        QVERIFY(no_answer.answered());
        QCOMPARE(f.prompter.MessageIds(), std::vector<int>{152});
        QVERIFY(f.prompter.prompts()[0].message.default_answer == MessageAnswer::No);
        QVERIFY(!fs::exists(other));
        QCOMPARE(f.ini.GetString("CONFIG", "PATH", ""), f.work().string());
        QCOMPARE(f.window.configuration().work_folder, f.work().string());

        // Yes: the folder is made and becomes the work folder.
        f.prompter.Clear();
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);
        ModalAnswer yes_answer([&other](QWidget* dialog) {
            kotar::test::Type(dialog, 1050, QString::fromStdString(other.string()));
            Click(dialog, 1);
        });
        f.window.findChild<QAction*>("32773")->trigger();
        QVERIFY(yes_answer.answered());
        QVERIFY(fs::is_directory(other));
        QCOMPARE(f.ini.GetString("CONFIG", "PATH", ""), other.string());
        QCOMPARE(f.window.configuration().work_folder, other.string());

        // A folder that cannot be made (its parent is missing): 153, the work folder stays.
        f.prompter.Clear();
        f.prompter.AnswerNextMessage(MessageAnswer::Yes);
        const fs::path deep = f.temp / "no" / "such" / "folder";
        ModalAnswer failed([&deep](QWidget* dialog) {
            kotar::test::Type(dialog, 1050, QString::fromStdString(deep.string()));
            Click(dialog, 1);
        });
        f.window.findChild<QAction*>("32773")->trigger();
        QVERIFY(failed.answered());
        QCOMPARE(f.prompter.MessageIds(), (std::vector<int>{152, 153}));
        QVERIFY(f.prompter.prompts()[1].message.icon == MessageIcon::Exclamation);
        QCOMPARE(f.ini.GetString("CONFIG", "PATH", ""), other.string());
    }

    void VersionBoxShowsTheBuildVersion() {
        Fixture f;
        QString version;
        QString title;
        ModalAnswer answer([&](QWidget* dialog) {
            version = TextOf(dialog, 1127);
            title = dialog->windowTitle();
            Click(dialog, 1);
        });
        f.window.findChild<QAction*>("32774")->trigger();
        QVERIFY(answer.answered());
        QCOMPARE(version, QStringLiteral("1.0.0"));
    }

    void SettingsAndMaintenanceMenusOpenTheirDialogsWithWhatTheyNeed() {
        Fixture f({"maintenance"});
        std::vector<std::string> opened;
        // Each dialog is noted and closed; the maintenance dialog's file dialog shows where it
        // opens (cancelled).
        auto open = [&f, &opened](const char* item, auto note) {
            ModalAnswer answer([&](QWidget* dialog) { opened.push_back(note(dialog)); });
            f.window.findChild<QAction*>(item)->trigger();
            return answer.answered();
        };
        QVERIFY(open("32777", [](QWidget* dialog) {
            Click(dialog, 8);
            return std::string("rec");
        }));
        QVERIFY(open("32781", [](QWidget* dialog) {
            Click(dialog, 2);
            return std::string("port");
        }));
        QVERIFY(open("32779", [&f](QWidget* dialog) {
            Click(dialog, 1107);
            Click(dialog, 2);
            return "maint " + f.prompter.prompts().at(0).file.initial_folder;
        }));
        QCOMPARE(opened, (std::vector<std::string>{"rec", "port", "maint " + f.start().string()}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
