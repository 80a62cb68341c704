// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audio/Endpoints.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "config/Configuration.h"
#include "export/PhraseFileKind.h"
#include "link/SerialCom.h"
#include "store/DiskSpace.h"
#include "store/PropertyStore.h"
#include "store/SlotRecord.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace kotar {

// What the main window and the dialogs it opens work with. The program passes the real ones;
// tests pass fakes.
struct MainWindowServices {
    ProfileFile& ini;
    Prompter& prompter;
    FreeSpaceSource& space;
    // The sound server's endpoints when null.
    AudioEndpoints* endpoints = nullptr;
    // The link of the write/read and maintenance dialogs (port maker, log folder); members left
    // empty take the link's defaults.
    LinkEnvironment link{};
};

// The main window: the property list, the three phrase slots with their state, the phrase
// panel mode and the commands, whose dialogs it creates and runs. It runs modally for the whole
// program; only the exit command (menu, Alt+F4 or a close request from the window system)
// closes it.
class CKOTARDlg : public QDialog {
public:
    explicit CKOTARDlg(MainWindowServices services, QWidget* parent = nullptr);
    ~CKOTARDlg() override;

    void SetStartDirectory(const std::filesystem::path& start_directory) {
        start_directory_ = start_directory;
    }
    // Where the work folder goes when the configured one cannot be entered.
    void SetDefaultWorkFolder(const std::filesystem::path& folder) {
        default_work_folder_ = folder;
    }

    // The start-up steps after the single-instance check: continuous mode checked, focus on
    // the property list, the work folder loaded and the maintenance menu kept or removed by the
    // command-line arguments (without the program name).
    void Initialize(const std::vector<std::string>& arguments);

    // ReloadWorkFolder: loads the configuration and lists the properties, selecting the first.
    void ReloadWorkFolder();
    // Removes the maintenance menu unless the last argument asks for maintenance mode.
    void ApplyCommandLine(const std::vector<std::string>& arguments);

    // A later copy of the program asked for this window: restore it and bring it forward.
    void RestoreAndRaise();

    // The data kind the write/read command hands to its dialog (0 to 4); nothing when the
    // command does nothing (no property selected, or no mode checked).
    std::optional<int> WriteReadDataKind() const;

    // The checked phrase panel mode (nothing when neither radio button is checked).
    std::optional<PhrasePanelMode> panel_mode() const;
    bool maintenance_menu_present() const { return maintenance_menu_present_; }
    const Configuration& configuration() const { return config_; }
    const PropertyStore& store() const { return store_; }
    const std::filesystem::path& start_directory() const { return start_directory_; }

    // Enter and Escape do nothing; Exit() is the only way out.
    void accept() override {}
    void reject() override {}
    void Exit();

protected:
    // A close request is the exit command.
    void closeEvent(QCloseEvent* event) override;

private:
    struct SlotControls {
        QGroupBox* group = nullptr;
        QLineEdit* status = nullptr;
        QPushButton* play = nullptr;
        QPushButton* erase = nullptr;
        QPushButton* create = nullptr;
    };

    void BuildControls();
    void BuildMenu();

    // Panel steps.
    void MarkSlotEmpty(int index);
    void MarkSlotFilled(int index);
    void ClearSlotPanel();
    void UpdateRomButton();
    void ShowSlot(int index);
    // Shows the store's list, selection, slots and button states.
    void ShowStore();

    // Handlers.
    void OnPropertySelected(int index);
    void OnSearch();
    void OnNewProperty();
    void OnDeleteProperty();
    void OnDeleteSlotPhrase(int index);
    void OnExportRomWriterData();
    void OnWorkFolder();
    void OnAbout();

    // Phrase commands (KOTARDlgPhrases.cpp).
    void OnCreatePhrase(int index);
    void OnPlayPhrase(int index);
    void OnRecordingSettings();
    // The CSelMeanDlg::Method chosen for the message text (kNone when cancelled).
    int ChooseCreationMethod(const std::string& message_text, bool holds_phrase);
    // Import and edit, or recording: true when the slot's phrase was saved.
    bool ImportPhrase(int index, const std::string& message_text);
    bool RecordPhrase(int index, const std::string& message_text);
    // The synthesis dialog, then the edit dialog with the phrase trimmed and evened; the text
    // spoken is kept beside the slot's file.
    bool SpeakPhrase(int index, const std::string& message_text);
    // The edit dialog on the slot's current phrase.
    bool EditCurrentPhrase(int index, const std::string& message_text);
    // Keeps the saved phrase in the slot and shows it.
    void PhraseSaved(int index, const std::string& message_text);
    AudioEndpoints& endpoints() const;

    // Device commands (KOTARDlgDevice.cpp): write/read, port settings and maintenance.
    void OnWriteRead();
    void OnPortSettings();
    void OnMaintenance();

    MainWindowServices services_;
    ProfileFile& ini_;
    Prompter& prompter_;
    PropertyStore store_;
    Configuration config_;
    std::filesystem::path start_directory_;
    std::filesystem::path default_work_folder_;
    // The folder of the WAV file chosen last in this run; empty before the first.
    std::filesystem::path last_wav_folder_;
    bool exiting_ = false;
    bool maintenance_menu_present_ = true;

    QMenuBar* menu_bar_ = nullptr;
    QMenu* maintenance_menu_ = nullptr;
    QComboBox* property_list_ = nullptr;
    QPushButton* search_button_ = nullptr;
    QRadioButton* ab_radio_ = nullptr;
    QRadioButton* continuous_radio_ = nullptr;
    std::array<SlotControls, kSlotCount> slots_{};
    QPushButton* new_button_ = nullptr;
    QPushButton* delete_button_ = nullptr;
    QPushButton* rom_button_ = nullptr;
    QPushButton* write_read_button_ = nullptr;
};

}  // namespace kotar
