// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's phrase commands: creating a slot's phrase (by import, by recording or by
// speech synthesis),
// playing it, and the recording settings.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include "app/KOTARDlg.h"
#include "audio/EditDlg.h"
#include "audio/ImportChain.h"
#include "audio/LevelAnalysis.h"
#include "audio/PeakDlg.h"
#include "audio/PlayDlg.h"
#include "audio/RecDlg.h"
#include "audio/SelMeanDlg.h"
#include "audio/SpeechDlg.h"
#include "audio/SpeechSynthesizer.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"
#include "export/WriteThread.h"

namespace kotar {

AudioEndpoints& CKOTARDlg::endpoints() const {
    return services_.endpoints != nullptr ? *services_.endpoints : SystemEndpoints();
}

void CKOTARDlg::OnCreatePhrase(int index) {
    if (!store_.has_selection() || store_.slots().size() <= static_cast<std::size_t>(index)) {
        return;
    }
    const bool holds_phrase = slots_[index].status->text() == QString::fromUtf8(kSlotStatusData);
    if (holds_phrase &&
        prompter_.ShowMessage(kMsgRecreatePhrase, MessageIcon::Question, MessageButtons::YesNo,
                              MessageAnswer::Yes) != MessageAnswer::Yes) {
        return;
    }
    const std::string& text = config_.slot_comments[index];
    bool saved = false;
    switch (ChooseCreationMethod(text, holds_phrase)) {
        case CSelMeanDlg::kFromFile:
            saved = ImportPhrase(index, text);
            break;
        case CSelMeanDlg::kRecord:
            saved = RecordPhrase(index, text);
            break;
        case CSelMeanDlg::kSpeech:
            saved = SpeakPhrase(index, text);
            break;
        case CSelMeanDlg::kEditCurrent:
            saved = EditCurrentPhrase(index, text);
            break;
        default:
            break;
    }
    if (saved)
        PhraseSaved(index, text);
}

int CKOTARDlg::ChooseCreationMethod(const std::string& message_text, bool holds_phrase) {
    CSelMeanDlg dialog(this, message_text, holds_phrase);
    return dialog.exec() == QDialog::Accepted ? dialog.method() : CSelMeanDlg::kNone;
}

bool CKOTARDlg::ImportPhrase(int index, const std::string& message_text) {
    FileDialogRequest file;
    file.default_extension = "wav";
    file.initial_name = "*.wav";
    file.filter = "Wave(*.wav)|*.wav|全て(*.*)|*.*||";
    file.hide_read_only = true;
    // Where the last file of this run came from: phrases are usually imported from one folder.
    file.initial_folder = last_wav_folder_.empty()
                              ? QDir::toNativeSeparators(QDir::homePath()).toStdString()
                              : PathToUtf8(last_wav_folder_);
    const std::optional<std::string> chosen = prompter_.ChooseOpenFile(file);
    if (!chosen)
        return false;
    last_wav_folder_ = PathFromUtf8(*chosen).parent_path();
    try {
        const auto converted = RunImportChain(*chosen, prompter_);
        CEditDlg dialog(this, prompter_, ini_, endpoints(), store_.slots()[index].wav_path,
                        message_text, *converted, config_.slot_max_seconds[index], index);
        return dialog.exec() == QDialog::Accepted;
    } catch (const UserAbort&) {
        // The failure has been shown.
        return false;
    }
}

bool CKOTARDlg::RecordPhrase(int index, const std::string& message_text) {
    CRecDlg dialog(this, prompter_, ini_, endpoints(), store_.slots()[index].wav_path, message_text,
                   config_.slot_max_seconds[index], index);
    return dialog.exec() == QDialog::Accepted;
}

bool CKOTARDlg::SpeakPhrase(int index, const std::string& message_text) {
    const std::string& wav_path = store_.slots()[index].wav_path;
    CSpeechDlg speech(this, prompter_, ini_, endpoints(), ReadSpokenText(PathFromUtf8(wav_path)),
                      WorkTempFolder(config_.work_folder));
    if (speech.exec() != QDialog::Accepted)
        return false;
    CEditDlg dialog(this, prompter_, ini_, endpoints(), wav_path, message_text, speech.phrase(),
                    config_.slot_max_seconds[index], index);
    dialog.TrimAndEven();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The phrase is saved; without its text only a later correction has to be typed anew.
    WriteSpokenText(PathFromUtf8(wav_path), speech.spoken_text());
    return true;
}

bool CKOTARDlg::EditCurrentPhrase(int index, const std::string& message_text) {
    const std::string& wav_path = store_.slots()[index].wav_path;
    try {
        // A slot file in another format (not written by the program) is converted as an
        // import is, so that the edit dialog always gets the recording format.
        std::unique_ptr<CWaveFile> current =
            std::make_unique<CWaveFile>(wav_path, CWaveFile::kAudioMode, prompter_);
        if (!HasLevelFormat(*current))
            current = RunImportChain(wav_path, prompter_);
        CEditDlg dialog(this, prompter_, ini_, endpoints(), wav_path, message_text, *current,
                        config_.slot_max_seconds[index], index);
        return dialog.exec() == QDialog::Accepted;
    } catch (const UserAbort&) {
        return false;  // shown
    }
}

void CKOTARDlg::PhraseSaved(int index, const std::string& message_text) {
    store_.SetSlotPhrase(index, message_text);
    MarkSlotFilled(index);
    UpdateRomButton();
    slots_[index].play->setFocus();
}

void CKOTARDlg::OnPlayPhrase(int index) {
    if (store_.slots().size() <= static_cast<std::size_t>(index))
        return;
    const SlotRecord& record = store_.slots()[index];
    CPlayDlg dialog(this, prompter_, endpoints(), record.wav_path, record.attribute_text, false);
    dialog.exec();
}

void CKOTARDlg::OnRecordingSettings() {
    CPeakDlg dialog(this, ini_, endpoints());
    dialog.exec();
}

}  // namespace kotar
