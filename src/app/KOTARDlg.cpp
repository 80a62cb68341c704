// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KOTARDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include "app/AboutDlg.h"
#include "app/ProgramIcon.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"
#include "export/RomWriterExport.h"
#include "export/SourceSlotCheck.h"
#include "store/NewObjDlg.h"
#include "store/SearchDlg.h"
#include "store/SetWorkDlg.h"
#include "store/SlotScan.h"
#include "ui/DialogLayout.h"
#include "ui/ProductInfo.h"

namespace kotar {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// Control ids of the three slots, by slot index.
struct SlotIds {
    int status, play, erase, create, group;
    int group_x;
};
constexpr std::array<SlotIds, kSlotCount> kSlotIds{{
    {1001, 1004, 1055, 1006, 1011, 14},
    {1003, 1007, 1056, 1012, 1013, 154},
    {1015, 1016, 1023, 1018, 1019, 307},
}};

QPushButton* MakeButton(QWidget* parent, const DialogUnits& du, int id, const char* text, int x,
                        int y, int w, int h) {
    auto* button = PlaceControl(new QPushButton(Q(text), parent), du, id, x, y, w, h);
    // No button becomes the default: Enter must not press anything in the main window.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

CKOTARDlg::CKOTARDlg(MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      ini_(services_.ini),
      prompter_(services_.prompter),
      store_(services_.ini, services_.prompter, services_.space),
      default_work_folder_(DefaultWorkFolder()) {
    setWindowTitle(Q(kProductTitle));
    setWindowIcon(ProgramIcon());
    // A caption bar with the close and minimise boxes and a taskbar button. No maximise box: the
    // layout is fixed, so a maximised window would only show empty space.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    BuildControls();
    BuildMenu();

    // Alt+F4 is the accelerator of the exit command.
    auto* exit_shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    exit_shortcut->setContext(Qt::WindowShortcut);
    connect(exit_shortcut, &QShortcut::activated, this, &CKOTARDlg::Exit);
}

CKOTARDlg::~CKOTARDlg() = default;

void CKOTARDlg::BuildControls() {
    DialogUnits du(font());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(du.Size(454, 186));

    // Frames first, so that they lie beneath the controls placed on them.
    PlaceControl(new QGroupBox(client), du, 1064, 7, 30, 288, 112);
    PlaceControl(new QGroupBox(client), du, 1065, 300, 30, 147, 112);

    // One unit wider than the original label: this font's colon is wider.
    auto* label = PlaceControl(new QLabel(Q("物件名称："), client), du, 0, 7, 7, 34, 12);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    property_list_ = PlaceControl(new QComboBox(client), du, 1009, 41, 5, 149, 12);
    property_list_->setGeometry(du.X(41), du.Y(5), du.X(149),
                                std::max(du.Y(12), property_list_->sizeHint().height()));
    property_list_->setMaxVisibleItems(20);
    search_button_ = MakeButton(client, du, 1053, "検索", 192, 3, 21, 18);

    ab_radio_ = PlaceControl(
        new QRadioButton(Q("音声データA または 音声データB\n音声データA＋B（個別）"), client), du,
        1068, 17, 43, 170, 23);
    continuous_radio_ = PlaceControl(new QRadioButton(Q("音声データA＋B（連続）"), client), du,
                                     1071, 308, 49, 85, 10);
    // The original 85 x 10 units hold the text only in a narrower font; the frame has room.
    continuous_radio_->setGeometry(du.X(308), du.Y(47), du.X(110), du.Y(14));

    for (int i = 0; i < kSlotCount; ++i) {
        const SlotIds& ids = kSlotIds[i];
        const int x = ids.group_x;
        SlotControls& slot = slots_[i];
        slot.group = PlaceControl(new QGroupBox(client), du, ids.group, x, 73, 133, 61);
        slot.status = PlaceControl(new QLineEdit(client), du, ids.status, x + 8, 89, 112, 14);
        slot.status->setReadOnly(true);
        slot.play = MakeButton(client, du, ids.play, "再生", x + 9, 109, 22, 21);
        slot.erase = MakeButton(client, du, ids.erase, "削除", x + 35, 111, 45, 15);
        slot.create = MakeButton(client, du, ids.create, "音声作成", x + 83, 111, 45, 15);
    }

    new_button_ = MakeButton(client, du, 1010, "新規物件", 7, 149, 40, 30);
    delete_button_ = MakeButton(client, du, 1014, "物件削除", 51, 149, 41, 30);
    rom_button_ = MakeButton(client, du, 1072, "ROMライタ用データ作成", 254, 150, 94, 30);
    write_read_button_ = MakeButton(client, du, 1080, "書込／読込", 353, 149, 94, 30);

    connect(property_list_, &QComboBox::activated, this, &CKOTARDlg::OnPropertySelected);
    connect(search_button_, &QPushButton::clicked, this, &CKOTARDlg::OnSearch);
    connect(new_button_, &QPushButton::clicked, this, &CKOTARDlg::OnNewProperty);
    connect(delete_button_, &QPushButton::clicked, this, &CKOTARDlg::OnDeleteProperty);
    connect(write_read_button_, &QPushButton::clicked, this, &CKOTARDlg::OnWriteRead);
    connect(rom_button_, &QPushButton::clicked, this, &CKOTARDlg::OnExportRomWriterData);
    connect(ab_radio_, &QRadioButton::clicked, this, &CKOTARDlg::UpdateRomButton);
    connect(continuous_radio_, &QRadioButton::clicked, this, &CKOTARDlg::UpdateRomButton);
    for (int i = 0; i < kSlotCount; ++i) {
        connect(slots_[i].play, &QPushButton::clicked, this, [this, i] { OnPlayPhrase(i); });
        connect(slots_[i].erase, &QPushButton::clicked, this, [this, i] { OnDeleteSlotPhrase(i); });
        connect(slots_[i].create, &QPushButton::clicked, this, [this, i] { OnCreatePhrase(i); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(client);
}

void CKOTARDlg::BuildMenu() {
    menu_bar_ = new QMenuBar(this);
    menu_bar_->setObjectName(QStringLiteral("168"));
    auto add_item = [this](QMenu* menu, const char* text, int id, auto handler) {
        QAction* action = menu->addAction(Q(text));
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file_menu = menu_bar_->addMenu(Q("ファイル(&F)"));
    add_item(file_menu, "アプリケーションの終了\tALT+F4", 32775, [this] { Exit(); });

    QMenu* settings_menu = menu_bar_->addMenu(Q("設定(&S)"));
    add_item(settings_menu, "保存先設定(&U)", 32773, [this] { OnWorkFolder(); });
    add_item(settings_menu, "録音設定(&R)", 32777, [this] { OnRecordingSettings(); });
    add_item(settings_menu, "ポート設定(&P)", 32781, [this] { OnPortSettings(); });

    QMenu* help_menu = menu_bar_->addMenu(Q("ヘルプ(&H)"));
    add_item(help_menu, "バージョン情報(&A)", 32774, [this] { OnAbout(); });

    maintenance_menu_ = menu_bar_->addMenu(Q("保守(&M)"));
    add_item(maintenance_menu_, "保守操作(&C)", 32779, [this] { OnMaintenance(); });

    layout()->setMenuBar(menu_bar_);
}

void CKOTARDlg::Initialize(const std::vector<std::string>& arguments) {
    continuous_radio_->setChecked(true);
    property_list_->setFocus();
    ReloadWorkFolder();
    ApplyCommandLine(arguments);
}

void CKOTARDlg::ReloadWorkFolder() {
    config_ = LoadConfiguration(ini_, prompter_, default_work_folder_);
    for (int i = 0; i < kSlotCount; ++i)
        slots_[i].group->setTitle(Q(config_.slot_captions[i]));
    store_.Reload(PathFromUtf8(config_.work_folder));
    ShowStore();
}

void CKOTARDlg::ApplyCommandLine(const std::vector<std::string>& arguments) {
    if (IsMaintenanceMode(arguments) || !maintenance_menu_present_)
        return;
    menu_bar_->removeAction(maintenance_menu_->menuAction());
    maintenance_menu_present_ = false;
}

void CKOTARDlg::RestoreAndRaise() {
    if (isMinimized())
        showNormal();
    if (!isVisible())
        show();
    raise();
    activateWindow();
    // The last modal dialog opened over this window is what the user was working in.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void CKOTARDlg::Exit() {
    exiting_ = true;
    QDialog::done(QDialog::Accepted);
}

void CKOTARDlg::closeEvent(QCloseEvent* event) {
    // The close box, and Alt+F4 under a window manager, which arrives as a close request.
    if (!exiting_)
        Exit();
    event->accept();
}

// --- Panel steps -------------------------------------------------------------------------

void CKOTARDlg::MarkSlotEmpty(int index) {
    SlotControls& slot = slots_[index];
    slot.status->setText(Q(kSlotStatusNoData));
    slot.create->setEnabled(true);
    slot.play->setEnabled(false);
    slot.erase->setEnabled(false);
}

void CKOTARDlg::MarkSlotFilled(int index) {
    SlotControls& slot = slots_[index];
    if (store_.slots().size() > static_cast<std::size_t>(index) &&
        store_.slots()[index].HoldsPhrase()) {
        slot.status->setText(Q(kSlotStatusData));
    }
    slot.create->setEnabled(true);
    slot.play->setEnabled(true);
    slot.erase->setEnabled(true);
}

void CKOTARDlg::ClearSlotPanel() {
    for (SlotControls& slot : slots_) {
        slot.status->clear();
        slot.create->setEnabled(false);
        slot.play->setEnabled(false);
        slot.erase->setEnabled(false);
    }
}

void CKOTARDlg::UpdateRomButton() {
    rom_button_->setEnabled(store_.Buttons(panel_mode() == PhrasePanelMode::kAB).rom_writer);
}

void CKOTARDlg::ShowSlot(int index) {
    const SlotView& view = store_.slot_views()[index];
    switch (view.state) {
        case SlotState::Empty:
            MarkSlotEmpty(index);
            return;
        case SlotState::Filled:
            MarkSlotFilled(index);
            return;
        case SlotState::Cleared:
        case SlotState::Unreadable:
            break;
    }
    SlotControls& slot = slots_[index];
    slot.status->setText(Q(view.status_text));
    slot.create->setEnabled(view.create_enabled);
    slot.play->setEnabled(view.play_enabled);
    slot.erase->setEnabled(view.delete_enabled);
}

void CKOTARDlg::ShowStore() {
    const QSignalBlocker blocker(property_list_);
    property_list_->clear();
    for (const std::string& name : store_.names())
        property_list_->addItem(Q(name));
    property_list_->setCurrentIndex(store_.selection());

    if (store_.has_selection()) {
        for (int i = 0; i < kSlotCount; ++i)
            ShowSlot(i);
    } else {
        ClearSlotPanel();
    }
    const PropertyButtons buttons = store_.Buttons(panel_mode() == PhrasePanelMode::kAB);
    new_button_->setEnabled(buttons.new_property);
    delete_button_->setEnabled(buttons.delete_property);
    search_button_->setEnabled(buttons.search);
    write_read_button_->setEnabled(buttons.write_read);
    rom_button_->setEnabled(buttons.rom_writer);
}

// --- Handlers ----------------------------------------------------------------------------

void CKOTARDlg::OnPropertySelected(int index) {
    store_.Select(index);
    ShowStore();
}

void CKOTARDlg::OnSearch() {
    CSearchDlg dialog(prompter_, this);
    dialog.SetWorkFolder(PathToUtf8(store_.work_folder()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The dialog lists the folder as it is now: another copy may have made or removed
    // properties since this window listed it.
    const std::string chosen = dialog.result_name();
    if (!store_.SelectAfresh(chosen)) {
        prompter_.ShowText("選択した物件が見つかりません。\n" + chosen, "",
                           MessageIcon::Exclamation);
    }
    ShowStore();
}

void CKOTARDlg::OnNewProperty() {
    CNewObjDlg dialog(prompter_, this);
    dialog.SetPropertySelected(store_.has_selection());
    dialog.SetListedNames(store_.names());
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::optional<std::string> copy_from;
    if (dialog.copy_selected())
        copy_from = store_.current_name();
    store_.Create(dialog.name(), copy_from);
    ShowStore();
}

void CKOTARDlg::OnDeleteProperty() {
    if (store_.DeleteCurrent() == DeleteOutcome::Deleted)
        ShowStore();
}

void CKOTARDlg::OnDeleteSlotPhrase(int index) {
    if (store_.DeleteSlotPhrase(index) != SlotDeleteOutcome::Deleted)
        return;
    ShowSlot(index);
    UpdateRomButton();
    slots_[index].create->setFocus();
}

std::optional<PhrasePanelMode> CKOTARDlg::panel_mode() const {
    if (ab_radio_->isChecked())
        return PhrasePanelMode::kAB;
    if (continuous_radio_->isChecked())
        return PhrasePanelMode::kContinuous;
    return std::nullopt;
}

std::optional<int> CKOTARDlg::WriteReadDataKind() const {
    if (property_list_->currentIndex() < 0 || !store_.has_selection())
        return std::nullopt;
    std::optional<PhrasePanelMode> mode = panel_mode();
    if (!mode)
        return std::nullopt;
    // With a slot of the mode unreadable, nothing is made from the property (see OnWriteRead).
    if (UnreadableSourceSlot(*mode, store_.slot_views()))
        return kPhraseNone;
    return ChoosePhraseFileKind(*mode, store_.slots());
}

void CKOTARDlg::OnExportRomWriterData() {
    std::optional<PhrasePanelMode> mode = panel_mode();
    if (!mode || !store_.has_selection())
        return;
    if (RefuseUnreadableSourceSlot(*mode, store_, config_.slot_captions, prompter_))
        return;
    ExportRomWriterData(*mode, store_.slots(), PathToUtf8(store_.work_folder()),
                        PathToUtf8(store_.current_folder()), prompter_);
}

void CKOTARDlg::OnWorkFolder() {
    CSetWorkDlg dialog(prompter_, this);
    dialog.SetPath(config_.work_folder);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string path = dialog.path();
    std::string work_folder = config_.work_folder;
    if (CanEnterFolder(path)) {
        work_folder = path;
    } else if (prompter_.ShowMessage(kMsgCreateWorkFolder, MessageIcon::Question,
                                     MessageButtons::YesNo,
                                     MessageAnswer::No) == MessageAnswer::Yes) {
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec) && !ec) {
            work_folder = path;
        } else {
            prompter_.ShowMessage(kMsgCreateWorkFolderFailed, MessageIcon::Exclamation);
        }
    }
    ini_.WriteString("CONFIG", "PATH", work_folder);
    ReloadWorkFolder();
}

void CKOTARDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

}  // namespace kotar
