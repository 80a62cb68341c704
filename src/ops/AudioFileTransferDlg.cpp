// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/AudioFileTransferDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "common/FileRead.h"
#include "common/Messages.h"
#include "common/ScratchFolder.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"
#include "config/Configuration.h"
#include "export/PhraseFileBuild.h"
#include "export/PhraseFileKind.h"
#include "export/WriteThread.h"
#include "ops/FileChoice.h"
#include "ops/PhrasePlayback.h"
#include "ops/PhraseTransfer.h"
#include "ops/TransferUi.h"
#include "store/PropertyStore.h"
#include "ui/DialogLayout.h"

namespace kotar {
namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

// A write of the created data refused because the phrases it was built from changed on disk.
constexpr const char* kPhrasesChangedText =
    "物件の音声データが作成後に変更されました。\n"
    "書込は行っていません。もう一度「書込」を押すと作り直して書き込みます。";
constexpr const char* kPhrasesChangedCaption = "書込確認";

QPushButton* MakeButton(QWidget* parent, const DialogUnits& du, int id, const char* text, int x,
                        int y, int width, int height) {
    auto* button = PlaceControl(new QPushButton(Q(text), parent), du, id, x, y, width, height);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const DialogUnits& du, int id, int x, int y, int width,
                            int height) {
    auto* edit = PlaceControl(new QLineEdit(parent), du, id, x, y, width, height);
    edit->setReadOnly(true);
    return edit;
}

}  // namespace

CAudioFileTransferDlg::CAudioFileTransferDlg(ProfileFile& ini, Prompter& prompter,
                                             std::string property_name, int mode,
                                             const SlotList& slots, QWidget* parent)
    : CancellableDialog(parent),
      ini_(ini),
      prompter_(prompter),
      property_name_(std::move(property_name)),
      mode_(mode),
      slots_(slots) {
    BuildControls();
    header_->setText(Q("物件名称：") + QString::fromStdString(property_name_));
    // Any other value than 1 to 4 is a property without phrase data.
    mode_label_->setText(
        QString::fromStdString(PhraseFileKindText(static_cast<PhraseFileKind>(mode_))));
    EnableControls(true);
}

void CAudioFileTransferDlg::BuildControls() {
    setWindowTitle(Q("書込／読込"));
    setFont(DialogFont(8));
    DialogUnits du(font());
    setFixedSize(du.Size(515, 219));

    header_ = PlaceControl(new QLabel(this), du, 1081, 7, 7, 501, 10);
    PlaceControl(new QLabel(Q("の音声データを火災通報装置経由で不定フレーズとしてＲＯＭパックに"
                              "書き込みます。"),
                            this),
                 du, 0, 7, 20, 501, 10);
    PlaceControl(new QLabel(Q("ＲＯＭパック内の不定フレーズを読み込むことも可能です。"), this), du,
                 0, 7, 32, 501, 10);

    PlaceControl(new QGroupBox(Q("作成したデータを書込"), this), du, 1128, 7, 48, 140, 68);
    mode_label_ = MakeReadOnlyEdit(this, du, 1122, 15, 64, 124, 14);
    play_created_ = MakeButton(this, du, 1116, "再生", 15, 94, 60, 14);
    write_created_ = MakeButton(this, du, 1117, "書込", 79, 94, 60, 14);

    PlaceControl(new QGroupBox(Q("ファイルを選択して書込"), this), du, 0, 153, 48, 222, 68);
    selected_edit_ = MakeReadOnlyEdit(this, du, 1123, 161, 64, 206, 14);
    browse_ = MakeButton(this, du, 1025, "参照", 161, 94, 64, 14);
    play_selected_ = MakeButton(this, du, 1118, "再生", 232, 94, 64, 14);
    write_selected_ = MakeButton(this, du, 1119, "書込", 303, 94, 64, 14);

    PlaceControl(new QGroupBox(Q("読込"), this), du, 0, 381, 48, 127, 68);
    play_read_ = MakeButton(this, du, 1120, "再生", 389, 94, 55, 14);
    read_ = MakeButton(this, du, 1121, "読込", 449, 94, 55, 14);

    // Applies to both write buttons above it.
    verify_ = PlaceControl(new QCheckBox(Q("書込後に照合"), this), du, 1131, 15, 121, 120, 10);
    verify_->setChecked(ini_.GetInt("CONFIG", "VERIFY", 0) != 0);

    PlaceControl(new QGroupBox(Q("書込／読込状況表示"), this), du, 0, 7, 136, 501, 56);
    PlaceControl(new QLabel(Q("書込／読込状況："), this), du, 0, 15, 154, 72, 10);
    status_ = MakeReadOnlyEdit(this, du, 1001, 88, 152, 412, 14);
    progress_ = PlaceControl(new QProgressBar(this), du, 1077, 15, 174, 485, 10);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    stop_ = MakeButton(this, du, 1130, "中止", 402, 199, 50, 14);
    close_ = MakeButton(this, du, 2, "閉じる", 458, 199, 50, 14);

    connect(play_created_, &QPushButton::clicked, this, &CAudioFileTransferDlg::OnPlayCreated);
    connect(write_created_, &QPushButton::clicked, this, &CAudioFileTransferDlg::OnWriteCreated);
    connect(browse_, &QPushButton::clicked, this, &CAudioFileTransferDlg::OnBrowse);
    connect(play_selected_, &QPushButton::clicked, this,
            [this] { PlayPhraseFile(selected_path_, "選択したファイル"); });
    connect(write_selected_, &QPushButton::clicked, this, [this] { WritePhrases(selected_path_); });
    connect(play_read_, &QPushButton::clicked, this,
            [this] { PlayPhraseFile(read_back_path_, "読み込んだ不定フレーズ"); });
    connect(read_, &QPushButton::clicked, this, &CAudioFileTransferDlg::OnReadPhrases);
    connect(close_, &QPushButton::clicked, this, &CAudioFileTransferDlg::reject);
    // Only a change by the user adds the key to the file.
    connect(verify_, &QCheckBox::clicked, this,
            [this](bool checked) { ini_.WriteInt("CONFIG", "VERIFY", checked ? 1 : 0); });
}

void CAudioFileTransferDlg::EnableControls(bool e) {
    // A running transfer ends by its stop button: while close is disabled, so is a close
    // request.
    close_->setEnabled(e);
    stop_->setEnabled(!e);
    verify_->setEnabled(e);
    browse_->setEnabled(e);
    read_->setEnabled(e);
    const bool has_mode = !SourceSlotIndices(static_cast<PhraseFileKind>(mode_)).empty();
    play_created_->setEnabled(e && has_mode);
    write_created_->setEnabled(e && has_mode);
    play_selected_->setEnabled(e && !selected_path_.empty());
    write_selected_->setEnabled(e && !selected_path_.empty());
    play_read_->setEnabled(e && !read_back_path_.empty());
    selected_edit_->setText(QString::fromStdString(selected_path_));
}

std::string CAudioFileTransferDlg::WorkFolder() const {
    return ini_.GetString("CONFIG", "PATH", PathToUtf8(DefaultWorkFolder()));
}

std::string CAudioFileTransferDlg::PropertyFolder() const {
    return PathToUtf8(PropertyFolderOnDisk(PathFromUtf8(WorkFolder()), property_name_));
}

bool CAudioFileTransferDlg::EnsureBuiltImage() {
    if (!built_image_.empty())
        return true;
    const auto kind = static_cast<PhraseFileKind>(mode_);
    const std::string destination =
        PathToUtf8(PathFromUtf8(PropertyFolder()) / PhraseFileName(kind));
    // Taken before the conversion reads the files, so that a change during the build shows.
    SourceStamp stamp = StampSourceSlots(kind, slots_);
    std::vector<std::uint8_t> image;
    const PhraseBuildResult result =
        BuildPhraseFile(kind, slots_, WorkFolder(), destination, prompter_, &image);
    if (result == PhraseBuildResult::kWriteFailed)
        prompter_.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
    if (result != PhraseBuildResult::kWritten)
        return false;  // an older file of that name is never used; the next press builds again
    created_path_ = destination;
    built_image_ = std::move(image);
    built_from_ = std::move(stamp);
    return true;
}

bool CAudioFileTransferDlg::SourcesChangedSinceBuild() const {
    return StampSourceSlots(static_cast<PhraseFileKind>(mode_), slots_) != built_from_;
}

void CAudioFileTransferDlg::OnPlayCreated() {
    // Play lets the user hear the property's phrases as they are now.
    if (!built_image_.empty() && SourcesChangedSinceBuild())
        built_image_.clear();
    const bool built = EnsureBuiltImage();
    PlayPhraseImage(
        built ? std::span<const std::uint8_t>(built_image_) : std::span<const std::uint8_t>(),
        mode_label_->text().toStdString());
}

void CAudioFileTransferDlg::OnWriteCreated() {
    if (!built_image_.empty() && SourcesChangedSinceBuild()) {
        // What was built (and perhaps heard) is no longer the property's: never sent unasked.
        built_image_.clear();
        prompter_.ShowText(kPhrasesChangedText, kPhrasesChangedCaption, MessageIcon::Exclamation);
        return;
    }
    if (!EnsureBuiltImage()) {
        WritePhrases(std::string());  // without an image of this build: the file read error
        return;
    }
    WriteBuiltImage();
}

void CAudioFileTransferDlg::PlayPhraseFile(const std::string& path, const std::string& caption) {
    std::vector<std::uint8_t> image(kPhraseFileBytes, 0xFF);
    if (path.empty() || !ReadFileOfExactSize(PathFromUtf8(path), kPhraseFileBytes, image.data()))
        image.clear();
    PlayPhraseImage(image, caption);
}

void CAudioFileTransferDlg::PlayPhraseImage(std::span<const std::uint8_t> image,
                                            const std::string& caption) {
    try {
        // play.ulw lives in a scratch folder of this play, which goes when the play dialog has
        // closed: another copy playing at the same time never replaces the file being played.
        std::optional<ScratchFolder> scratch;
        if (image.size() == kPhraseFileBytes)
            scratch = ScratchFolder::Create(WorkTempFolder(WorkFolder()));
        const std::filesystem::path play_file =
            scratch ? PlayFilePath(scratch->path()) : std::filesystem::path();
        if (!scratch || PreparePhrasePlayFile(image, play_file, caption, prompter_) !=
                            PlayFilePrepared::kReady) {
            prompter_.ShowText(kPlayDataFailedText, kPlayCheckCaption, MessageIcon::Information);
            return;
        }
        if (player_)
            player_(this, PathToUtf8(play_file), caption);
    } catch (const UserAbort&) {
        // The converter has shown its message.
    }
}

void CAudioFileTransferDlg::OnBrowse() {
    // A chosen file of another type has been refused with its message.
    if (std::optional<std::string> chosen = ChoosePhraseFileToWrite(prompter_)) {
        selected_path_ = *chosen;
        EnableControls(true);
    }
}

LinkEnvironment CAudioFileTransferDlg::TransferEnvironment(const TransferScope& scope) const {
    LinkEnvironment environment = environment_;
    environment.ini = &ini_;
    environment.event_pump = WindowEventPump();
    environment.stop_requested = scope.StopCheck();
    return environment;
}

void CAudioFileTransferDlg::RunWrite(const WriteCall& write) {
    DialogTransferSink sink(status_, progress_);
    PhraseWriteOutcome outcome = PhraseWriteOutcome::kFailed;
    {
        TransferScope scope(this, stop_);
        EnableControls(false);
        outcome = write(TransferEnvironment(scope), sink, verify_->isChecked());
    }
    EnableControls(true);
    // Next to a full progress bar, the status line alone is easily taken for success.
    if (outcome == PhraseWriteOutcome::kMismatch)
        prompter_.ShowText(kVerifyMismatchText, kVerifyMismatchCaption, MessageIcon::Exclamation);
}

void CAudioFileTransferDlg::WritePhrases(const std::string& path) {
    RunWrite([this, &path](const LinkEnvironment& environment, TransferSink& sink, bool verify) {
        return WritePhraseFile(PathFromUtf8(path), ReadPortNumber(ini_), environment, sink, verify);
    });
}

void CAudioFileTransferDlg::WriteBuiltImage() {
    RunWrite([this](const LinkEnvironment& environment, TransferSink& sink, bool verify) {
        return WritePhraseImage(built_image_, ReadPortNumber(ini_), environment, sink, verify);
    });
}

void CAudioFileTransferDlg::OnReadPhrases() {
    const std::optional<std::string> chosen = ChoosePhraseFileToSave(prompter_);
    if (!chosen)
        return;
    DialogTransferSink sink(status_, progress_);
    bool read = false;
    {
        TransferScope scope(this, stop_);
        EnableControls(false);
        read = ReadPhrasesToFile(PathFromUtf8(*chosen), ReadPortNumber(ini_),
                                 TransferEnvironment(scope), sink);
    }
    if (read)
        read_back_path_ = *chosen;
    EnableControls(true);
}

}  // namespace kotar
