// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/MaintenanceOperationsDlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "common/Utf8Path.h"
#include "config/Configuration.h"
#include "ops/FileChoice.h"
#include "ops/MaintenanceTransfer.h"
#include "ops/TransferUi.h"
#include "ui/DialogLayout.h"

namespace kotar {
namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QPushButton* MakeButton(QWidget* parent, const DialogUnits& du, int id, const char* text, int x,
                        int y) {
    auto* button = PlaceControl(new QPushButton(Q(text), parent), du, id, x, y, 50, 14);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const DialogUnits& du, int id, int x, int y,
                            int width) {
    auto* edit = PlaceControl(new QLineEdit(parent), du, id, x, y, width, 13);
    edit->setReadOnly(true);
    return edit;
}

void PlaceLabel(QWidget* parent, const DialogUnits& du, const char* text, int x, int y, int width) {
    PlaceControl(new QLabel(Q(text), parent), du, 0, x, y, width, 10);
}

}  // namespace

CMaintenanceOperationsDlg::CMaintenanceOperationsDlg(ProfileFile& ini, Prompter& prompter,
                                                     QWidget* parent)
    : CancellableDialog(parent), ini_(ini), prompter_(prompter) {
    application_.Clear(kApplicationImageBytes);
    update_.Clear(kUpdateFileBytes);
    BuildControls();
    EnableControls(true);
}

void CMaintenanceOperationsDlg::BuildControls() {
    setWindowTitle(Q("保守操作"));
    setFont(DialogFont(8));
    DialogUnits du(font());
    setFixedSize(du.Size(360, 282));

    PlaceControl(new QGroupBox(Q("プログラム書込"), this), du, 0, 7, 7, 346, 158);
    // The two file frames differ only in their ids and their place.
    struct FileFrame {
        const char* title;
        int y;
        int name_id, version_id, date_id, path_id, browse_id;
        QLineEdit** name;
        QLineEdit** version;
        QLineEdit** date;
        QLineEdit** path;
        QPushButton** browse;
    };
    const FileFrame frames[] = {
        {"アプリケーションファイル", 19, 1110, 1111, 1112, 1109, 1107, &app_name_, &app_version_,
         &app_date_, &app_path_, &app_browse_},
        {"更新用プログラム　", 83, 1105, 1113, 1114, 1115, 1108, &upd_name_, &upd_version_,
         &upd_date_, &upd_path_, &upd_browse_},
    };
    for (const FileFrame& f : frames) {
        PlaceControl(new QGroupBox(Q(f.title), this), du, 0, 14, f.y, 332, 58);
        PlaceLabel(this, du, "装置名", 21, f.y + 16, 28);
        *f.name = MakeReadOnlyEdit(this, du, f.name_id, 50, f.y + 14, 100);
        PlaceLabel(this, du, "Ver", 157, f.y + 16, 16);
        *f.version = MakeReadOnlyEdit(this, du, f.version_id, 174, f.y + 14, 52);
        PlaceLabel(this, du, "作成日", 232, f.y + 16, 26);
        *f.date = MakeReadOnlyEdit(this, du, f.date_id, 259, f.y + 14, 80);
        *f.path = MakeReadOnlyEdit(this, du, f.path_id, 21, f.y + 35, 262);
        *f.browse = MakeButton(this, du, f.browse_id, "参照", 289, f.y + 34);
    }
    write_ = MakeButton(this, du, 1025, "書込", 296, 145);

    PlaceControl(new QGroupBox(Q("データ読込"), this), du, 0, 7, 169, 346, 34);
    read_ = MakeButton(this, du, 1106, "読込", 296, 182);

    PlaceControl(new QGroupBox(Q("書込／読込状況表示"), this), du, 0, 7, 207, 346, 50);
    PlaceLabel(this, du, "書込／読込状況：", 14, 223, 72);
    status_ = MakeReadOnlyEdit(this, du, 1078, 88, 221, 258);
    progress_ = PlaceControl(new QProgressBar(this), du, 1077, 14, 240, 332, 10);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    close_ = MakeButton(this, du, 2, "閉じる", 303, 262);
    // Present but never shown, enabled or given a behaviour.
    auto* cancel = MakeButton(this, du, 1126, "キャンセル", 249, 262);
    cancel->setEnabled(false);
    cancel->hide();
    // In the place of the hidden button.
    stop_ = MakeButton(this, du, 1130, "中止", 249, 262);

    connect(app_browse_, &QPushButton::clicked, this,
            &CMaintenanceOperationsDlg::OnSelectApplicationFile);
    connect(upd_browse_, &QPushButton::clicked, this,
            &CMaintenanceOperationsDlg::OnSelectUpdateFile);
    connect(write_, &QPushButton::clicked, this, &CMaintenanceOperationsDlg::OnWriteProgram);
    connect(read_, &QPushButton::clicked, this, &CMaintenanceOperationsDlg::OnReadDataToFile);
    connect(close_, &QPushButton::clicked, this, &CMaintenanceOperationsDlg::reject);
}

void CMaintenanceOperationsDlg::EnableControls(bool enable) {
    // A running transfer ends by its stop button: while close is disabled, so is a close
    // request.
    close_->setEnabled(enable);
    stop_->setEnabled(!enable);
    app_browse_->setEnabled(enable);
    upd_browse_->setEnabled(enable);
    read_->setEnabled(enable);
    write_->setEnabled(enable && application_.selected() && update_.selected());
    ShowSelections();
}

void CMaintenanceOperationsDlg::ShowSelections() {
    auto show = [](QLineEdit* edit, const std::string& text) {
        edit->setText(QString::fromStdString(text));
    };
    show(app_name_, application_.fields.device_name);
    show(app_version_, application_.fields.version);
    show(app_date_, application_.fields.date);
    show(app_path_, application_.path);
    show(upd_name_, update_.fields.device_name);
    show(upd_version_, update_.fields.version);
    show(upd_date_, update_.fields.date);
    show(upd_path_, update_.path);
}

void CMaintenanceOperationsDlg::OnSelectApplicationFile() {
    if (std::optional<std::string> path = ChooseProgramFile(prompter_, start_directory_)) {
        SelectApplicationFile(PathFromUtf8(*path), &application_, prompter_);
        EnableControls(true);
    }
}

void CMaintenanceOperationsDlg::OnSelectUpdateFile() {
    if (std::optional<std::string> path = ChooseProgramFile(prompter_, start_directory_)) {
        SelectUpdateFile(PathFromUtf8(*path), &update_, prompter_);
        EnableControls(true);
    }
}

LinkEnvironment CMaintenanceOperationsDlg::TransferEnvironment(const TransferScope& scope) {
    LinkEnvironment environment = environment_;
    environment.ini = &ini_;
    environment.event_pump = WindowEventPump();
    environment.stop_requested = scope.StopCheck();
    return environment;
}

void CMaintenanceOperationsDlg::OnWriteProgram() {
    DialogTransferSink sink(status_, progress_);
    {
        TransferScope scope(this, stop_);
        EnableControls(false);
        WriteProgram(application_, update_, ReadPortNumber(ini_), TransferEnvironment(scope), sink);
    }
    EnableControls(true);
}

void CMaintenanceOperationsDlg::OnReadDataToFile() {
    const std::optional<std::string> path = ChooseDataFile(prompter_, start_directory_);
    if (!path)
        return;
    DialogTransferSink sink(status_, progress_);
    {
        TransferScope scope(this, stop_);
        EnableControls(false);
        ReadDataToFile(PathFromUtf8(*path), ReadPortNumber(ini_), TransferEnvironment(scope), sink);
    }
    EnableControls(true);
}

}  // namespace kotar
