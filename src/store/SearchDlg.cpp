// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/SearchDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "store/PropertyName.h"
#include "store/PropertyStore.h"
#include "ui/DialogLayout.h"

namespace kotar {
namespace {

constexpr int kNameColumnWidthPx = 300;
constexpr int kTimeColumnWidthPx = 150;
const QColor kNameColumnBackground(247, 247, 247);

std::string FormatLocalTime(std::filesystem::file_time_type time) {
    const auto system_time = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system_time));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

bool HasPropertyPrefix(const std::string& entry_name) {
    if (entry_name.size() < kPropertyFolderPrefix.size())
        return false;
    for (std::size_t i = 0; i < kPropertyFolderPrefix.size(); ++i) {
        char c = entry_name[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != kPropertyFolderPrefix[i])
            return false;
    }
    return true;
}

}  // namespace

std::vector<PropertyEntry> ReadPropertyEntries(const std::string& work_folder) {
    // The folder names as they are on disk (the prefix may be in any letter case), by name.
    std::map<std::string, std::filesystem::file_time_type> times;
    const std::filesystem::path folder = PathFromUtf8(work_folder);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = PathToUtf8(it->path().filename());
        if (!HasPropertyPrefix(entry))
            continue;
        std::error_code time_ec;
        auto time = it->last_write_time(time_ec);
        if (!time_ec)
            times.emplace(entry.substr(kPropertyFolderPrefix.size()), time);
    }
    std::vector<PropertyEntry> entries;
    for (const std::string& name : ListProperties(folder)) {
        auto found = times.find(name);
        entries.push_back(
            {name, found != times.end() ? FormatLocalTime(found->second) : std::string()});
    }
    return entries;
}

CSearchDlg::CSearchDlg(Prompter& prompter, QWidget* parent)
    : CancellableDialog(parent), prompter_(prompter) {
    setWindowTitle(QStringLiteral("物件選択"));
    setFont(DialogFont());
    DialogUnits du(font());
    setFixedSize(du.Size(295, 207));

    // The label is a little wider than in the original layout: this font's characters are.
    PlaceControl(new QLabel(QStringLiteral("作業フォルダ："), this), du, 0, 7, 8, 50, 10);
    folder_edit_ = PlaceControl(new QLineEdit(this), du, 1055, 57, 7, 231, 13);
    folder_edit_->setReadOnly(true);
    list_ = PlaceControl(new QTreeWidget(this), du, 1054, 7, 29, 281, 126);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("物件名称"), QStringLiteral("更新日時")});
    list_->setColumnWidth(0, kNameColumnWidthPx);
    list_->setColumnWidth(1, kTimeColumnWidthPx);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSortingEnabled(false);
    list_->header()->setSectionsClickable(true);
    list_->header()->setStretchLastSection(false);
    PlaceControl(new QLabel(QStringLiteral("検索名称："), this), du, 0, 10, 172, 43, 10);
    search_edit_ = PlaceControl(new QLineEdit(this), du, 1056, 53, 170, 135, 13);
    search_edit_->setMaxLength(static_cast<int>(kPropertyNameMaxBytes));
    search_button_ =
        PlaceControl(new QPushButton(QStringLiteral("検索"), this), du, 1025, 190, 169, 40, 15);
    ok_button_ =
        PlaceControl(new QPushButton(QStringLiteral("選択"), this), du, 1, 238, 169, 50, 15);
    auto* cancel =
        PlaceControl(new QPushButton(QStringLiteral("キャンセル"), this), du, 2, 238, 186, 50, 15);
    ok_button_->setDefault(true);
    search_button_->setAutoDefault(false);
    cancel->setAutoDefault(false);

    connect(search_button_, &QPushButton::clicked, this, &CSearchDlg::OnSearch);
    connect(search_edit_, &QLineEdit::textEdited, this, &CSearchDlg::OnSearchTextEdited);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &CSearchDlg::OnHeaderClicked);
    connect(list_, &QTreeWidget::itemClicked, this, &CSearchDlg::OnRowClicked);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        list_->setCurrentItem(item);
        accept();  // like "選択" on that row
    });
    connect(ok_button_, &QPushButton::clicked, this, &CSearchDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSearchDlg::reject);
}

void CSearchDlg::SetWorkFolder(const std::string& work_folder) {
    folder_edit_->setText(QString::fromStdString(work_folder));
    cache_ = ReadPropertyEntries(work_folder);
    Fill(QString());
    search_position_ = 0;
}

void CSearchDlg::Fill(const QString& filter) {
    list_->clear();
    for (const PropertyEntry& entry : cache_) {
        const QString name = QString::fromStdString(entry.name);
        if (!filter.isEmpty() && !name.contains(filter, Qt::CaseSensitive))
            continue;
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, name);
        item->setText(1, QString::fromStdString(entry.update_time));
        item->setBackground(0, kNameColumnBackground);
    }
}

void CSearchDlg::OnSearch() {
    const QString text = search_edit_->text();
    if (search_position_ == 0)
        Fill(text);
    for (int row = search_position_; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        if (!item->text(0).contains(text, Qt::CaseSensitive))
            continue;
        list_->setCurrentItem(item);
        item->setSelected(true);
        list_->setFocus();
        list_->scrollToItem(item, QAbstractItemView::PositionAtTop);
        search_position_ = row + 1;
        return;
    }
    search_position_ = 0;
}

void CSearchDlg::OnSearchTextEdited() {
    // Enter now searches instead of choosing.
    ok_button_->setDefault(false);
    search_button_->setDefault(true);
    search_position_ = 0;
}

void CSearchDlg::OnRowClicked() {
    // Enter now chooses the clicked row, also after a search made it step.
    search_button_->setDefault(false);
    ok_button_->setDefault(true);
}

void CSearchDlg::OnHeaderClicked(int column) {
    sort_column_ = column;
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        rows.emplace_back(item->text(0), item->text(1));
    }
    const bool ascending = sort_direction_flag_ == 1;
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        const QString& left = column == 0 ? a.first : a.second;
        const QString& right = column == 0 ? b.first : b.second;
        const int order = QString::localeAwareCompare(left, right);
        return ascending ? order < 0 : order > 0;
    });
    QString selected;
    if (QTreeWidgetItem* current = list_->currentItem(); current && current->isSelected()) {
        selected = current->text(0);
    }
    list_->clear();
    for (const auto& [name, time] : rows) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, name);
        item->setText(1, time);
        item->setBackground(0, kNameColumnBackground);
        if (!selected.isEmpty() && name == selected) {
            list_->setCurrentItem(item);
            item->setSelected(true);
        }
    }
    sort_direction_flag_ = sort_direction_flag_ == 1 ? 0 : 1;
    search_position_ = 0;
}

void CSearchDlg::accept() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        prompter_.ShowMessage(kMsgSelectProperty, MessageIcon::Exclamation);
        return;
    }
    result_ = selected.front()->text(0).toStdString();
    cache_.clear();
    QDialog::accept();
}

}  // namespace kotar
