// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SpeechDlg.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "audio/PhraseLevelOps.h"
#include "audio/PlayDlg.h"
#include "common/Messages.h"
#include "common/UserAbort.h"
#include "common/Utf8Path.h"
#include "config/LoudnessTarget.h"
#include "ui/DialogLayout.h"

namespace kotar {

CSpeechDlg::CSpeechDlg(QWidget* parent, Prompter& prompter, ProfileFile& ini,
                       AudioEndpoints& endpoints, const std::string& initial_text,
                       std::filesystem::path scratch_parent)
    : CancellableDialog(parent),
      prompter_(prompter),
      ini_(ini),
      endpoints_(endpoints),
      scratch_parent_(std::move(scratch_parent)),
      settings_(ReadSpeechSettings(ini)) {
    setWindowTitle("テキストから音声合成");
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(261, 120));

    PlaceControl(new QLabel("読み上げる文章：", this), du, 0, 7, 7, 120, 10);
    text_ = PlaceControl(new QPlainTextEdit(this), du, 1401, 7, 19, 190, 62);
    text_->setTabChangesFocus(true);
    PlaceControl(new QLabel("話す速さ：", this), du, 0, 7, 90, 50, 10);
    rate_ = PlaceControl(new QDoubleSpinBox(this), du, 1402, 60, 88, 45, 13);
    rate_->setRange(kMinSpeechRate, kMaxSpeechRate);
    rate_->setSingleStep(0.1);
    rate_->setDecimals(2);
    rate_->setValue(settings_.rate);
    PlaceControl(new QLabel("（0.5～2.0、標準 1.0）", this), du, 0, 110, 90, 90, 10);
    status_ = PlaceControl(new QLabel(kBusyText, this), du, 1404, 7, 106, 190, 10);
    status_->setVisible(false);
    ok_ = PlaceControl(new QPushButton("OK", this), du, 1, 204, 7, 50, 14);
    ok_->setDefault(true);
    auto* cancel = PlaceControl(new QPushButton("ｷｬﾝｾﾙ", this), du, 2, 204, 25, 50, 14);
    listen_ = PlaceControl(new QPushButton("試聴", this), du, 1403, 204, 43, 50, 14);

    connect(ok_, &QPushButton::clicked, this, &CSpeechDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSpeechDlg::reject);
    connect(listen_, &QPushButton::clicked, this, [this] { Synthesize(Purpose::kListen); });

    text_->setPlainText(QString::fromStdString(initial_text));
    text_->setFocus();
}

CSpeechDlg::~CSpeechDlg() {
    // The synthesizer is stopped within one poll of its process.
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

std::string CSpeechDlg::Text() const {
    return text_->toPlainText().toStdString();
}

double CSpeechDlg::Rate() const {
    return rate_->value();
}

void CSpeechDlg::accept() {
    if (busy())
        return;
    Synthesize(Purpose::kAccept);
}

void CSpeechDlg::Cancel() {
    if (busy()) {
        cancel_ = true;
        return;
    }
    CancellableDialog::Cancel();
}

void CSpeechDlg::Synthesize(Purpose purpose) {
    if (busy())
        return;
    purpose_ = purpose;
    if (phrase_ && phrase_text_ == Text() && phrase_rate_ == Rate()) {
        OnSynthesized();
        return;
    }
    phrase_.reset();
    SpeechSettings settings = settings_;
    settings.rate = Rate();
    try {
        job_.emplace(SpeechJob::Prepare(Text(), settings, scratch_parent_, prompter_));
    } catch (const UserAbort&) {
        return;  // shown
    }
    phrase_text_ = Text();
    phrase_rate_ = Rate();
    cancel_ = false;
    SetBusy(true);
    worker_ = std::thread([this] {
        outcome_ = job_->Run([this] { return cancel_.load(); });
        QMetaObject::invokeMethod(this, &CSpeechDlg::OnSynthesized, Qt::QueuedConnection);
    });
}

void CSpeechDlg::OnSynthesized() {
    if (worker_.joinable()) {
        worker_.join();
        SetBusy(false);
        try {
            phrase_ = job_->Finish(outcome_, prompter_);
        } catch (const UserAbort&) {
            job_.reset();
            return;  // shown, or cancelled
        }
    }
    if (purpose_ == Purpose::kListen) {
        Listen();
        return;
    }
    WriteSpeechRate(ini_, phrase_rate_);
    job_.reset();
    QDialog::accept();
}

void CSpeechDlg::Listen() {
    if (!job_)
        return;
    CWaveFile levelled(*phrase_);
    TrimSilence(levelled);
    EvenLoudness(levelled, ReadLoudnessTarget(ini_));
    const std::string path = PathToUtf8(job_->folder() / "listen.wav");
    if (levelled.Save(path, "試聴", CWaveFile::Durability::kScratch) != 1) {
        prompter_.ShowMessage(kMsgFileWriteFailed, MessageIcon::Exclamation);
        return;
    }
    CPlayDlg dialog(this, prompter_, endpoints_, path, "試聴", false);
    dialog.exec();
}

void CSpeechDlg::SetBusy(bool busy) {
    text_->setReadOnly(busy);
    rate_->setEnabled(!busy);
    ok_->setEnabled(!busy);
    listen_->setEnabled(!busy);
    status_->setVisible(busy);
}

}  // namespace kotar
