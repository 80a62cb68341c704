// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "export/PhraseFileBuild.h"
#include "link/SerialCom.h"
#include "ops/PhraseTransfer.h"
#include "store/SlotRecord.h"
#include "ui/CancellableDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kotar {

class TransferScope;

// "書込／読込": writes the property's phrases (made into a phrase file on the spot) or a chosen
// phrase file into the device's variable phrase area, reads that area back into a file, and
// plays any of these files.
class CAudioFileTransferDlg : public CancellableDialog {
public:
    // Plays a playable WAV file with its message text (the compact play dialog).
    using Player =
        std::function<void(QWidget* parent, const std::string& wav_path, const std::string& text)>;

    // mode: the data kind 0 to 4; slots: the main window's slot list of the property.
    CAudioFileTransferDlg(ProfileFile& ini, Prompter& prompter, std::string property_name, int mode,
                          const SlotList& slots, QWidget* parent = nullptr);

    // Where the link logs and how it makes its port (the pump is the dialog's own).
    void SetLinkEnvironment(LinkEnvironment environment) { environment_ = std::move(environment); }
    void SetPlayer(Player player) { player_ = std::move(player); }

    const std::string& created_file_path() const { return created_path_; }
    const std::string& selected_file_path() const { return selected_path_; }
    const std::string& read_back_file_path() const { return read_back_path_; }

private:
    void BuildControls();
    // The enabling rule; e is false while a transfer runs.
    void EnableControls(bool e);

    // Builds the phrase image of the property (and its file) when there is none yet; false
    // when the build failed.
    bool EnsureBuiltImage();
    // True when the source slot files no longer hold what the built image was made from.
    bool SourcesChangedSinceBuild() const;
    void PlayPhraseFile(const std::string& path, const std::string& caption);
    void PlayPhraseImage(std::span<const std::uint8_t> image, const std::string& caption);
    // Writes a phrase file (an empty path: the file read error), or the built image.
    void WritePhrases(const std::string& path);
    void WriteBuiltImage();
    // One write with the dialog's transfer state; a verify mismatch is also told in a box.
    using WriteCall =
        std::function<PhraseWriteOutcome(const LinkEnvironment&, TransferSink&, bool verify)>;
    void RunWrite(const WriteCall& write);

    // Button handlers.
    void OnPlayCreated();
    void OnWriteCreated();
    void OnBrowse();
    void OnReadPhrases();

    // The link environment of one transfer: this configuration, the window event pump and the
    // stop button of the scope.
    LinkEnvironment TransferEnvironment(const TransferScope& scope) const;
    std::string WorkFolder() const;
    std::string PropertyFolder() const;

    ProfileFile& ini_;
    Prompter& prompter_;
    std::string property_name_;
    int mode_;
    const SlotList& slots_;
    LinkEnvironment environment_;
    Player player_;

    std::string read_back_path_;
    std::string created_path_;
    std::string selected_path_;
    // The image built from the property: what its play button plays and its write button sends,
    // whatever another copy does to the created file meanwhile. Empty until built, and again
    // once the phrases it was made from changed on disk.
    std::vector<std::uint8_t> built_image_;
    SourceStamp built_from_;

    QLabel* header_ = nullptr;
    QLineEdit* mode_label_ = nullptr;
    QLineEdit* selected_edit_ = nullptr;
    QLineEdit* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* play_created_ = nullptr;
    QPushButton* write_created_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* play_selected_ = nullptr;
    QPushButton* write_selected_ = nullptr;
    QPushButton* play_read_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* close_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace kotar
