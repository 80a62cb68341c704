// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PeakDlg.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "audio/Meter.h"
#include "ui/DialogLayout.h"

namespace kotar {

const char* const CPeakDlg::kLineText = "現在は「ライン」から録音できます。";
const char* const CPeakDlg::kMicrophoneText = "現在は「マイク」から録音できます。";
const char* const CPeakDlg::kNoSourceText = "録音できるソースが接続されていません。";

CPeakDlg::CPeakDlg(QWidget* parent, ProfileFile& ini, AudioEndpoints& endpoints)
    : CancellableDialog(parent), ini_(ini), endpoints_(endpoints) {
    setWindowTitle("録音設定");
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(205, 262));

    PlaceControl(new QGroupBox("ソース状態", this), du, 0, 7, 7, 191, 118);
    source_text_ = PlaceControl(new QLineEdit(this), du, 1105, 14, 20, 177, 13);
    source_text_->setReadOnly(true);
    // Broken by hand at a phrase boundary: wrapping would break Japanese text between any two
    // characters, in the middle of a word.
    auto* steps =
        PlaceControl(new QLabel("録音ソースを変更したい場合、\n以下の手順で行ってください。\n\n"
                                "①現在お使いの録音ソースの線をPCから抜きます。\n"
                                "②使用される録音ソースの線をPCに挿します。\n"
                                "③数秒待ちますと録音ソースの表示が変わります。",
                                this),
                     du, 0, 14, 38, 180, 82);
    steps->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(new QLabel("レベル：", this), du, 0, 7, 132, 60, 10);
    frame_ = PlaceControl(new QFrame(this), du, 1060, 7, 144, 191, 22);
    frame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame_->setStyleSheet("QFrame { border: 1px solid black; }");
    PlaceControl(new QLabel("ボリューム：", this), du, 0, 7, 174, 60, 10);
    slider_ = PlaceControl(new QSlider(Qt::Horizontal, this), du, 1058, 7, 186, 191, 18);
    PlaceControl(new QLabel("録音開始ディレイ(秒)：", this), du, 0, 7, 216, 110, 10);
    delay_ = PlaceControl(new QComboBox(this), du, 1103, 120, 214, 40, 14);
    auto* close = PlaceControl(new QPushButton("閉じる", this), du, 8, 148, 241, 50, 14);

    slider_->setRange(0, 100);
    slider_->setValue(0);
    connect(slider_, &QSlider::valueChanged, this,
            [this](int position) { endpoints_.SetVolume(static_cast<float>(position) / 100); });
    connect(close, &QPushButton::clicked, this, &CPeakDlg::OnClose);

    monitoring_ = false;
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &CPeakDlg::Tick);
    timer_.start();

    for (int seconds = 0; seconds <= 5; ++seconds)
        delay_->addItem(QString::number(seconds));
    const std::uint32_t delay = ini_.GetInt("CONFIG", "RECDELAY", 3);
    delay_->setCurrentIndex(delay > 5 ? 3 : static_cast<int>(delay));
    UpdateSourceText();
}

CPeakDlg::~CPeakDlg() {
    StopListening();
    timer_.stop();
    if (monitoring_)
        sound_.CloseMonitor();
}

void CPeakDlg::UpdateSourceText() {
    EndpointGuid jack{};
    const char* text = kNoSourceText;
    if (endpoints_.InputJackType(jack))
        text = jack == kLineConnectorGuid ? kLineText : kMicrophoneText;
    source_text_->setText(text);
}

void CPeakDlg::SetSlider(int position) {
    // Only the user's moves set the device volume.
    const QSignalBlocker block(slider_);
    slider_->setValue(position);
}

void CPeakDlg::Tick() {
    UpdateSourceText();
    EndpointGuid jack{};
    if (endpoints_.InputJackType(jack)) {
        if (!monitoring_ && sound_.OpenMonitor(*this) == 1) {
            // One meter for the dialog's life, inside the frame, 3 pixels in on every side.
            if (meter_ == nullptr) {
                meter_ = new CMeter(this, frame_->geometry().adjusted(3, 3, -3, -3));
                meter_->show();
            }
            monitoring_ = true;
        }
        float volume = 0;
        if (endpoints_.InputVolume(volume))
            SetSlider(static_cast<int>(volume * 100));
    } else if (monitoring_) {
        const std::uint16_t peak = sound_.MonitorBufferDone();
        if (meter_ != nullptr)
            meter_->SetLevel(peak);
        // The capture of a vanished device is closed, not left behind.
        sound_.CloseMonitor();
        monitoring_ = false;
        SetSlider(0);
    } else {
        SetSlider(0);
    }
}

void CPeakDlg::OnInputOpen() {
    sound_.StartInput();
}

void CPeakDlg::OnInputData(WaveHeader&) {
    const std::uint16_t peak = sound_.MonitorBufferDone();
    if (meter_ != nullptr && monitoring_)
        meter_->SetLevel(peak);
}

void CPeakDlg::Cancel() {
    OnClose();
}

void CPeakDlg::OnClose() {
    ini_.WriteInt("CONFIG", "RECDELAY", delay_->currentIndex());
    accept();
}

}  // namespace kotar
