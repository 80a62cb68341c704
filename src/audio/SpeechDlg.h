// SPDX-License-Identifier: GPL-3.0-or-later
// CSpeechDlg makes a phrase from typed text with the speech synthesizer.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "audio/Endpoints.h"
#include "audio/SpeechSynthesizer.h"
#include "audio/WaveFile.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"
#include "ui/CancellableDialog.h"

class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kotar {

// "テキストから音声合成": the text to speak (1401), the speaking rate (1402), "試聴" (1403) and
// OK/Cancel. The synthesizer runs on a thread of its own while the dialog stays responsive; a
// cancel during a synthesis stops it and leaves the dialog open. OK gives the phrase as the
// synthesizer spoke it (the edit dialog trims and evens it); "試聴" plays it trimmed and evened,
// as it will be written. The rate goes to MEVAN.INI on OK when it was changed.
class CSpeechDlg : public CancellableDialog {
public:
    static constexpr const char* kBusyText = "音声を合成しています…";

    CSpeechDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini, AudioEndpoints& endpoints,
               const std::string& initial_text, std::filesystem::path scratch_parent);
    ~CSpeechDlg() override;

    // After OK: the phrase in the recording format and the text that was spoken (as typed).
    const CWaveFile& phrase() const { return *phrase_; }
    const std::string& spoken_text() const { return phrase_text_; }
    // True while the synthesizer runs.
    bool busy() const { return worker_.joinable(); }

    void accept() override;

protected:
    void Cancel() override;

private:
    enum class Purpose { kListen, kAccept };

    std::string Text() const;
    double Rate() const;
    // Synthesizes the text at the rate unless the last phrase was made of the same.
    void Synthesize(Purpose purpose);
    void OnSynthesized();
    void Listen();
    void SetBusy(bool busy);

    Prompter& prompter_;
    ProfileFile& ini_;
    AudioEndpoints& endpoints_;
    std::filesystem::path scratch_parent_;
    SpeechSettings settings_;

    QPlainTextEdit* text_ = nullptr;
    QDoubleSpinBox* rate_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* listen_ = nullptr;
    QLabel* status_ = nullptr;

    // The running synthesis; the worker writes outcome_ and then only posts to the dialog.
    std::optional<SpeechJob> job_;
    Purpose purpose_ = Purpose::kAccept;
    SynthesisOutcome outcome_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;

    // The last phrase and what it was made of.
    std::unique_ptr<CWaveFile> phrase_;
    std::string phrase_text_;
    double phrase_rate_ = 0;
};

}  // namespace kotar
