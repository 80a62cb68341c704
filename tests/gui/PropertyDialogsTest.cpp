// SPDX-License-Identifier: GPL-3.0-or-later
// The new-property and property-selection dialogs on their own.
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>

#include "GuiHarness.h"
#include "ScriptedPrompter.h"
#include "SystemFaults.h"
#include "TempDir.h"
#include "store/NewObjDlg.h"
#include "store/SearchDlg.h"

namespace fs = std::filesystem;
using kotar::CNewObjDlg;
using kotar::CSearchDlg;
using kotar::MessageIcon;
using kotar::test::Click;
using kotar::test::Control;
using kotar::test::IsEnabled;
using kotar::test::ScriptedPrompter;
using kotar::test::TempDir;
using kotar::test::TextOf;
using kotar::test::Type;

namespace {

QStringList Column(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts << list->topLevelItem(row)->text(column);
    }
    return texts;
}

int SelectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
}

void ClickHeader(QTreeWidget* list, int column) {
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
}

// A work folder whose property folders have distinct modification times: the given names,
// each a minute older than the one before.
struct Folder {
    explicit Folder(const std::vector<std::string>& names) {
        auto time = fs::file_time_type::clock::now();
        for (const std::string& name : names) {
            fs::create_directories(temp / ("TR_" + name));
            kotar::test::SetLastWriteTime(temp / ("TR_" + name), time);
            time -= std::chrono::minutes(1);
        }
    }
    TempDir temp;
};

}  // namespace

class PropertyDialogsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void NewObj_OkFollowsTheNameAndCopyNeedsASelection() {
        ScriptedPrompter prompter;
        CNewObjDlg dialog(prompter);
        dialog.SetPropertySelected(false);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("新規物件"));
        QVERIFY(!IsEnabled(&dialog, 1));
        QVERIFY(!IsEnabled(&dialog, 1049));
        QVERIFY(Control<QRadioButton>(&dialog, 1048)->isChecked());
        Type(&dialog, 1024, QStringLiteral("x"));
        QVERIFY(IsEnabled(&dialog, 1));
        Type(&dialog, 1024, QString());
        QVERIFY(!IsEnabled(&dialog, 1));

        CNewObjDlg with_selection(prompter);
        with_selection.SetPropertySelected(true);
        with_selection.show();
        QVERIFY(IsEnabled(&with_selection, 1049));
        QCOMPARE(with_selection.choice(), CNewObjDlg::kChoiceEmpty);
        QVERIFY(Click(&with_selection, 1049));
        QCOMPARE(with_selection.choice(), CNewObjDlg::kChoiceCopy);
        QVERIFY(with_selection.copy_selected());
        QVERIFY(Click(&with_selection, 1048));
        QCOMPARE(with_selection.choice(), CNewObjDlg::kChoiceEmpty);
    }

    void NewObj_DuplicateIgnoringCaseIsRefusedWith120() {
        ScriptedPrompter prompter;
        CNewObjDlg dialog(prompter);
        dialog.SetListedNames({"Tokyo Station", "大阪"});
        dialog.show();
        Type(&dialog, 1024, QStringLiteral("tokyo STATION"));
        QVERIFY(Click(&dialog, 1));
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompter.MessageIds(), std::vector<int>{120});
        QVERIFY(prompter.prompts()[0].message.icon == MessageIcon::Error);

        Type(&dialog, 1024, QStringLiteral("Tokyo Station 2"));
        QVERIFY(Click(&dialog, 1));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.name(), std::string("Tokyo Station 2"));
    }

    void NewObj_ForbiddenCharacterShowsTheErrorBoxAndKeepsTheName() {
        ScriptedPrompter prompter;
        CNewObjDlg dialog(prompter);
        dialog.show();
        Type(&dialog, 1024, QStringLiteral("a:b"));
        QVERIFY(Click(&dialog, 1));
        QVERIFY(dialog.isVisible());
        QCOMPARE(TextOf(&dialog, 1024), QStringLiteral("a:b"));
        QCOMPARE(prompter.prompts().size(), std::size_t{1});
        const kotar::MessageRequest& box = prompter.prompts()[0].message;
        QCOMPARE(box.message_id, 0);
        QCOMPARE(box.caption, std::string("エラー"));
        QVERIFY(box.icon == MessageIcon::Exclamation);
        QCOMPARE(box.text,
                 std::string("ファイル名には次の文字はつかえません。\r\n \\ / : * ? \" < > |"));
    }

    void NewObj_NameIsLimitedTo40Bytes() {
        ScriptedPrompter prompter;
        CNewObjDlg dialog(prompter);
        dialog.show();
        Type(&dialog, 1024, QString(45, QLatin1Char('n')));
        QCOMPARE(TextOf(&dialog, 1024).size(), 40);
        // Full-width characters take two bytes each.
        Type(&dialog, 1024, QString(25, QChar(0x7269)));  // 物
        QCOMPARE(TextOf(&dialog, 1024), QString(20, QChar(0x7269)));
        Type(&dialog, 1024, QStringLiteral("a") + QString(20, QChar(0x7269)));
        QCOMPARE(TextOf(&dialog, 1024), QStringLiteral("a") + QString(19, QChar(0x7269)));
    }

    void Search_ListsEveryPropertyWithItsTimeAndColours() {
        Folder folder({"alpha", "beta"});
        fs::create_directories(folder.temp / "TEMP");
        kotar::test::WriteText(folder.temp / "TR_file", "not a folder");
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        auto* list = Control<QTreeWidget>(&dialog, 1054);
        QCOMPARE(TextOf(&dialog, 1055), QString::fromStdString(folder.temp.path().string()));
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("物件名称"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("更新日時"));
        QCOMPARE(list->columnWidth(0), 300);
        QCOMPARE(list->columnWidth(1), 150);
        QCOMPARE(Column(list, 0), (QStringList{"alpha", "beta"}));
        const QString time = list->topLevelItem(0)->text(1);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                     .match(time)
                     .hasMatch(),
                 qPrintable(time));
        QCOMPARE(list->topLevelItem(0)->background(0).color(), QColor(247, 247, 247));
        QVERIFY(list->topLevelItem(0)->background(1).style() == Qt::NoBrush);
        QCOMPARE(SelectedRow(list), -1);

        // Choosing without a row: 150, the dialog stays.
        QVERIFY(Click(&dialog, 1));
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompter.MessageIds(), std::vector<int>{150});
        QVERIFY(prompter.prompts()[0].message.icon == MessageIcon::Exclamation);
    }

    void Search_EmptyTextSelectsTheFirstRow() {
        Folder folder({"b", "a", "c"});
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        QVERIFY(Click(&dialog, 1025));
        auto* list = Control<QTreeWidget>(&dialog, 1054);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(SelectedRow(list), 0);
        QVERIFY(Click(&dialog, 1));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.result_name(), std::string("a"));
    }

    void Search_StepsThroughTheMatchesThenStartsOver() {
        Folder folder({"east gate", "north gate", "south wing", "Gate house"});
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        auto* list = Control<QTreeWidget>(&dialog, 1054);
        Type(&dialog, 1056, QStringLiteral("gate"));
        // The search filters case-sensitively: "Gate house" is not listed.
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(Column(list, 0), (QStringList{"east gate", "north gate"}));
        QCOMPARE(SelectedRow(list), 0);
        QCOMPARE(dialog.search_position(), 1);
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(SelectedRow(list), 1);
        QCOMPARE(dialog.search_position(), 2);
        // Past the last match: nothing new, the selection stays.
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(SelectedRow(list), 1);
        QCOMPARE(dialog.search_position(), 0);
        // And the next press starts again at the first.
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(SelectedRow(list), 0);
        QCOMPARE(dialog.search_position(), 1);
        QVERIFY(Click(&dialog, 1));
        QCOMPARE(dialog.result_name(), std::string("east gate"));
    }

    void Search_FoundRowIsScrolledToTheTop() {
        std::vector<std::string> names;
        for (int i = 0; i < 40; ++i)
            names.push_back(QString::asprintf("p%02d", i).toStdString());
        Folder folder(names);
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = Control<QTreeWidget>(&dialog, 1054);
        Type(&dialog, 1056, QStringLiteral("p3"));
        QVERIFY(Click(&dialog, 1025));
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("p30"));
        Type(&dialog, 1056, QStringLiteral("p"));
        for (int i = 0; i < 26; ++i)
            QVERIFY(Click(&dialog, 1025));
        QCOMPARE(SelectedRow(list), 25);
        QCOMPARE(list->itemAt(QPoint(5, 2)), list->topLevelItem(25));
    }

    void Search_SortingTheSameColumnTwiceReverses() {
        // Newest first on disk: "m" is the newest, "z" the oldest.
        Folder folder({"m", "a", "z"});
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = Control<QTreeWidget>(&dialog, 1054);
        QCOMPARE(dialog.sort_direction_flag(), 1);
        ClickHeader(list, 0);
        QCOMPARE(Column(list, 0), (QStringList{"a", "m", "z"}));
        QCOMPARE(dialog.sort_direction_flag(), 0);
        ClickHeader(list, 0);
        QCOMPARE(Column(list, 0), (QStringList{"z", "m", "a"}));
        QCOMPARE(dialog.sort_direction_flag(), 1);
        // The date column orders by time: oldest first when ascending.
        ClickHeader(list, 1);
        QCOMPARE(Column(list, 0), (QStringList{"z", "a", "m"}));
        ClickHeader(list, 1);
        QCOMPARE(Column(list, 0), (QStringList{"m", "a", "z"}));
        QCOMPARE(list->topLevelItem(2)->background(0).color(), QColor(247, 247, 247));
    }

    void Search_TypingMakesSearchTheDefaultButton() {
        Folder folder({"one"});
        ScriptedPrompter prompter;
        CSearchDlg dialog(prompter);
        dialog.SetWorkFolder(folder.temp.path().string());
        dialog.show();
        auto* ok = Control<QPushButton>(&dialog, 1);
        auto* search = Control<QPushButton>(&dialog, 1025);
        QVERIFY(ok->isDefault() && !search->isDefault());
        QTest::keyClicks(kotar::test::Edit(&dialog, 1056), QStringLiteral("on"));
        QVERIFY(search->isDefault() && !ok->isDefault());
        QTest::keyClick(kotar::test::Edit(&dialog, 1056), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(SelectedRow(Control<QTreeWidget>(&dialog, 1054)), 0);
    }

    void Search_ADoubleClickOrEnterAfterAClickChoosesThatRow() {
        Folder folder({"a", "b", "c"});
        ScriptedPrompter prompter;
        const auto row_point = [](QTreeWidget* list, int row) {
            return list->visualItemRect(list->topLevelItem(row)).center();
        };
        for (const bool double_click : {true, false}) {
            CSearchDlg dialog(prompter);
            dialog.SetWorkFolder(folder.temp.path().string());
            dialog.show();
            auto* list = Control<QTreeWidget>(&dialog, 1054);
            // Typing made Enter search; a click on a row makes it choose again.
            QTest::keyClicks(kotar::test::Edit(&dialog, 1056), QStringLiteral("z"));
            if (double_click) {
                // As the window system delivers one: a click, then the second press as a
                // double click, and its release.
                const QPoint at = row_point(list, 2);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
            } else {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row_point(list, 2));
                QTest::keyClick(list, Qt::Key_Return);
            }
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.result_name(), std::string("c"));
        }
        QVERIFY(prompter.prompts().empty());
    }
};

QTEST_MAIN(PropertyDialogsTest)
#include "PropertyDialogsTest.moc"
