// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop prompter: message boxes with the program's caption, icons, buttons and default
// answers; filters of the file dialogs; the dialog font and its units.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "GuiHarness.h"
#include "TempDir.h"
#include "common/Messages.h"
#include "ui/DialogLayout.h"
#include "ui/QtPrompter.h"

using kotar::MessageAnswer;
using kotar::MessageButtons;
using kotar::MessageIcon;
using kotar::test::ModalAnswer;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
};

// Answers the next message box with `answer` and records what it showed.
ModalAnswer AnswerBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    return ModalAnswer([&seen, answer](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box == nullptr) {
            window->close();
            return;
        }
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        if (QPushButton* preferred = box->defaultButton()) {
            seen.default_button = box->standardButton(preferred);
        }
        box->button(answer)->click();
    });
}

}  // namespace

class QtPrompterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void NumberedMessageHasTheProgramCaptionIconButtonsAndDefault() {
        kotar::QtPrompter prompter;
        SeenBox seen;
        ModalAnswer answer = AnswerBox(seen, QMessageBox::Yes);
        MessageAnswer result =
            prompter.ShowMessage(kotar::kMsgConfirmDeleteProperty, MessageIcon::Information,
                                 MessageButtons::YesNo, MessageAnswer::No);
        QVERIFY(answer.answered());
        QVERIFY(result == MessageAnswer::Yes);
        QCOMPARE(seen.title, QStringLiteral("KOTAR"));
        QCOMPARE(seen.text, QStringLiteral("本物件を削除しますか？"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen.default_button, QMessageBox::No);
    }

    void LiteralTextKeepsItsCaptionAndLineBreaks() {
        kotar::QtPrompter prompter;
        SeenBox seen;
        ModalAnswer answer = AnswerBox(seen, QMessageBox::Ok);
        MessageAnswer result =
            prompter.ShowText("一行目\r\n二行目", "エラー", MessageIcon::Exclamation);
        QVERIFY(answer.answered());
        QVERIFY(result == MessageAnswer::Ok);
        QCOMPARE(seen.title, QStringLiteral("エラー"));
        QCOMPARE(seen.text, QStringLiteral("一行目\n二行目"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
    }

    void ErrorAndQuestionIcons_NoAnswer() {
        kotar::QtPrompter prompter;
        SeenBox seen;
        ModalAnswer error = AnswerBox(seen, QMessageBox::Ok);
        prompter.ShowMessage(kotar::kMsgAlreadyRunning, MessageIcon::Error);
        QVERIFY(error.answered());
        QCOMPARE(seen.icon, QMessageBox::Critical);
        ModalAnswer question = AnswerBox(seen, QMessageBox::No);
        MessageAnswer result =
            prompter.ShowMessage(kotar::kMsgRecreatePhrase, MessageIcon::Question,
                                 MessageButtons::YesNo, MessageAnswer::Yes);
        QVERIFY(question.answered());
        QVERIFY(result == MessageAnswer::No);
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.default_button, QMessageBox::Yes);
    }

    void SaveDialogStartsInTheFolderAndAppendsTheDefaultExtension() {
        kotar::test::TempDir temp;
        kotar::QtPrompter prompter;
        QString folder;
        QStringList filters;
        ModalAnswer answer([&](QWidget* window) {
            auto* dialog = qobject_cast<QFileDialog*>(window);
            if (dialog == nullptr) {
                window->close();
                return;
            }
            folder = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            // The name is typed into the name field: selectFile leaves a field that has the focus
            // alone, and the dialog takes the focus as soon as the window system activates it,
            // which may come before this answer or after it.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr)
                name->setText(QStringLiteral("phrase"));
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
            // A dialog that did not take the answer fails the test instead of waiting for ever.
            if (dialog->isVisible())
                dialog->reject();
        });
        kotar::FileDialogRequest request;
        request.initial_folder = temp.path().string();
        request.default_extension = "snd";
        request.filter = "SND(*.snd)|*.snd|全て(*.*)|*.*||";
        request.prompt_overwrite = true;
        std::optional<std::string> chosen = prompter.ChooseSaveFile(request);
        QVERIFY(answer.answered());
        QCOMPARE(QDir::toNativeSeparators(folder), QString::fromStdString(temp.path().string()));
        QCOMPARE(filters, (QStringList{"SND(*.snd) (*.snd)", "全て(*.*) (*.*)"}));
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, (temp / "phrase.snd").string());

        ModalAnswer cancel([](QWidget* window) { window->close(); });
        QVERIFY(!prompter.ChooseSaveFile(request).has_value());
        QVERIFY(cancel.answered());
    }

    void FileDialogFiltersBecomeQtNameFilters() {
        QCOMPARE(kotar::ToQtNameFilters("Wave(*.wav)|*.wav|全て(*.*)|*.*||"),
                 (QStringList{"Wave(*.wav) (*.wav)", "全て(*.*) (*.*)"}));
        QCOMPARE(kotar::ToQtNameFilters("SND(*.snd)|*.snd|全て(*.*)|*.*||"),
                 (QStringList{"SND(*.snd) (*.snd)", "全て(*.*) (*.*)"}));
        QCOMPARE(kotar::ToQtNameFilters("Bin|*.bin;*.BIN||"), (QStringList{"Bin (*.bin *.BIN)"}));
        QVERIFY(kotar::ToQtNameFilters("").isEmpty());
    }

    void DialogUnitsOfTheCjkFont() {
        const QFont font = kotar::DialogFont();
        QCOMPARE(font.pointSize(), 9);
        if (font.family() != QStringLiteral("Noto Sans CJK JP")) {
            QSKIP("Noto Sans CJK JP (fonts-noto-cjk) is not installed");
        }
        kotar::DialogUnits du(font);
        // The Latin letters' average, not the full-width average character.
        QCOMPARE(du.base_width_px(), 7);
        QCOMPARE(du.base_height_px(), 17);
        QCOMPARE(du.Size(454, 186), QSize(795, 395));
        QCOMPARE(du.Rect(254, 150, 94, 30), QRect(445, 319, 165, 64));
    }
};

QTEST_MAIN(QtPrompterTest)
#include "QtPrompterTest.moc"
