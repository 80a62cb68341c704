// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PhraseEditControls.h"

#include <QDialog>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "audio/PhraseLevelOps.h"
#include "audio/WaveForm.h"
#include "config/LoudnessTarget.h"
#include "ui/DialogLayout.h"

namespace kotar {
namespace {

constexpr int kFieldHeight = 25;
constexpr int kGap = 8;
constexpr int kRowGap = 6;
// Room for a field's frame and margins, or a button's, beside its text.
constexpr int kFieldFrame = 16;
constexpr int kButtonFrame = 24;

int TextWidth(const QWidget* widget, const char* text) {
    return QFontMetrics(widget->font()).horizontalAdvance(QString::fromUtf8(text));
}

QPushButton* MakeButton(QDialog* dialog, int id, const char* text, const char* tip) {
    auto* button = new QPushButton(QString::fromUtf8(text), dialog);
    button->setObjectName(QString::number(id));
    button->setToolTip(QString::fromUtf8(tip));
    button->setAutoDefault(false);
    return button;
}

// The target field: a number typed beyond the range shows as typed and is brought to the
// nearest end of the range when the typing ends. (The plain spin box refuses the keystroke that
// leaves the range, so that "-50" would be taken as the "-5" before it.)
class LoudnessTargetBox : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;

    QValidator::State validate(QString& input, int& pos) const override {
        const QValidator::State state = QDoubleSpinBox::validate(input, pos);
        if (state == QValidator::Invalid && OutOfRange(input))
            return QValidator::Intermediate;
        return state;
    }

    void fixup(QString& input) const override {
        if (!OutOfRange(input)) {
            QDoubleSpinBox::fixup(input);
            return;
        }
        input = prefix() + textFromValue(*ReadTypedLoudnessTarget(Typed(input))) + suffix();
    }

private:
    // The number typed between prefix and suffix.
    std::string Typed(QString text) const {
        if (text.startsWith(prefix()))
            text.remove(0, prefix().size());
        if (text.endsWith(suffix()))
            text.chop(suffix().size());
        return text.trimmed().toStdString();
    }
    bool OutOfRange(const QString& text) const {
        const std::string typed = Typed(text);
        return ReadTypedLoudnessTarget(typed) && !ParseLoudnessTarget(typed);
    }
};

// A figure with one decimal and its unit, or "無音" for the minus infinity of silence.
QString FigureText(const char* label, double value, const char* unit) {
    if (!std::isfinite(value))
        return QString::fromUtf8(label) + QStringLiteral("無音");
    return QString::fromUtf8(label) + QString::fromStdString(FormatLevel(value)) + " " + unit;
}

bool IsSilent(const LevelFigures& figures) {
    return !std::isfinite(figures.loudness_lufs);
}

void AddShortcuts(QDialog* dialog, std::initializer_list<QKeySequence> keys,
                  const std::function<void()>& action) {
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, dialog);
        QObject::connect(shortcut, &QShortcut::activated, dialog, action);
    }
}

}  // namespace

PhraseEditControls::PhraseEditControls(QDialog* dialog, ProfileFile& ini, CWaveForm* view)
    : QObject(dialog), ini_(ini), view_(view) {
    peak_ = MakeReadOnlyField(dialog, 1301);
    loudness_ = MakeReadOnlyField(dialog, 1302);
    warning_ = new QLabel(QString::fromUtf8(kClipWarning), dialog);
    warning_->setObjectName("1303");
    warning_->setStyleSheet("color: #c00000;");
    warning_->hide();
    note_ = new QLabel(dialog);
    note_->setObjectName("1309");
    note_->hide();

    even_ = MakeButton(dialog, 1304, "音量を揃える",
                       "ラウドネスを目標に合わせます（ピークは -1 dBFS まで）");
    target_ = new LoudnessTargetBox(dialog);
    target_->setObjectName("1305");
    target_->setLocale(QLocale::c());  // a dot as decimal point, as in MEVAN.INI
    target_->setRange(kMinLoudnessLufs, kMaxLoudnessLufs);
    target_->setDecimals(1);
    target_->setSingleStep(0.5);
    target_->setPrefix("目標 ");
    target_->setSuffix(" LUFS");
    target_->setKeyboardTracking(false);
    target_->setToolTip("音量を揃えるときの目標ラウドネス（-40〜-5 LUFS）");
    target_->setValue(ReadLoudnessTarget(ini));
    trim_ = MakeButton(dialog, 1306, "前後の無音を削除",
                       "-45 dBFS に届かない前後の部分を削除します（前後 0.1 秒は残します）");
    undo_ = MakeButton(dialog, 1307, "元に戻す", "元に戻す（Ctrl+Z）");
    redo_ = MakeButton(dialog, 1308, "やり直し", "やり直し（Ctrl+Y）");

    connect(even_, &QPushButton::clicked, this, &PhraseEditControls::OnEvenLoudness);
    connect(trim_, &QPushButton::clicked, this, &PhraseEditControls::OnTrimSilence);
    const auto undo = [this] {
        if (view_ != nullptr)
            view_->Undo();
    };
    const auto redo = [this] {
        if (view_ != nullptr)
            view_->Redo();
    };
    connect(undo_, &QPushButton::clicked, this, undo);
    connect(redo_, &QPushButton::clicked, this, redo);
    AddShortcuts(dialog, {QKeySequence(Qt::CTRL | Qt::Key_Z)}, undo);
    AddShortcuts(
        dialog,
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, redo);
    connect(target_, &QDoubleSpinBox::valueChanged, this, &PhraseEditControls::OnTargetChanged);
    connect(view, &CWaveForm::SoundChanged, this, [this] {
        UpdateFigures();
        UpdateEnabled();
    });
    UpdateFigures();
    UpdateEnabled();
}

int PhraseEditControls::PlaceRows(int top) {
    const int left = 10;
    peak_->setGeometry(left, top, TextWidth(peak_, "ピーク： -99.9 dBFS") + kFieldFrame,
                       kFieldHeight);
    loudness_->setGeometry(peak_->geometry().right() + 1 + kGap, top,
                           TextWidth(loudness_, "ラウドネス： -99.9 LUFS") + kFieldFrame,
                           kFieldHeight);
    warning_->setGeometry(loudness_->geometry().right() + 1 + kGap, top,
                          TextWidth(warning_, kClipWarning) + 4, kFieldHeight);
    note_->setGeometry(
        warning_->x(), top,
        std::max(TextWidth(note_, kPeakLimitNote), TextWidth(note_, kSilenceNote)) + 4,
        kFieldHeight);

    const int row = top + kFieldHeight + kRowGap;
    const int height = std::max(kFieldHeight, even_->sizeHint().height());
    even_->setGeometry(left, row, TextWidth(even_, "音量を揃える") + kButtonFrame, height);
    target_->setGeometry(even_->geometry().right() + 1 + kGap, row, target_->sizeHint().width(),
                         height);
    trim_->setGeometry(target_->geometry().right() + 1 + kGap, row,
                       TextWidth(trim_, "前後の無音を削除") + kButtonFrame, height);
    return row + height - 1;
}

void PhraseEditControls::PlaceHistoryButtons(QPoint at) {
    const int height = std::max(kFieldHeight, undo_->sizeHint().height());
    const int width =
        std::max(TextWidth(undo_, "元に戻す"), TextWidth(redo_, "やり直し")) + kButtonFrame;
    undo_->setGeometry(at.x(), at.y(), width, height);
    redo_->setGeometry(undo_->geometry().right() + 1 + kGap, at.y(), width, height);
}

void PhraseEditControls::SetState(int state) {
    state_ = state;
    UpdateEnabled();
}

void PhraseEditControls::UpdateFigures() {
    // Before the first take there is no phrase to measure.
    if (view_ == nullptr || view_->GetState() == CWaveForm::kEmpty) {
        figures_ = {};
        peak_->clear();
        loudness_->clear();
    } else {
        figures_ = MeasureLevels(view_->sound());
        peak_->setText(FigureText("ピーク： ", figures_.peak_dbfs, "dBFS"));
        loudness_->setText(FigureText("ラウドネス： ", figures_.loudness_lufs, "LUFS"));
    }
    ShowNote(nullptr);
}

void PhraseEditControls::UpdateEnabled() {
    const bool stopped = view_ != nullptr && state_ == CWaveForm::kStopped;
    even_->setEnabled(stopped);
    target_->setEnabled(stopped);
    trim_->setEnabled(stopped);
    undo_->setEnabled(stopped && view_->CanUndo());
    redo_->setEnabled(stopped && view_->CanRedo());
}

void PhraseEditControls::OnTargetChanged(double lufs) {
    // Written only when the user changes it; a file that cannot be written keeps the old value
    // there, and this dialog uses the new one all the same.
    WriteLoudnessTarget(ini_, lufs);
    ShowNote(nullptr);
}

void PhraseEditControls::OnEvenLoudness() {
    if (view_ == nullptr)
        return;
    // The figures before the change (a change measures the phrase anew and hides the note).
    const LevelFigures before = figures_;
    const double target = target_->value();
    const bool changed = view_->EvenLoudness(target);
    if (!changed && IsSilent(before)) {
        ShowNote(kSilenceNote);
    } else if (EvenLoudnessGain(before, target).limited_by_peak) {
        ShowNote(kPeakLimitNote);
    }
}

void PhraseEditControls::OnTrimSilence() {
    if (view_ == nullptr)
        return;
    const LevelFigures before = figures_;
    if (!view_->TrimSilence() && IsSilent(before))
        ShowNote(kSilenceNote);
}

void PhraseEditControls::TrimAndEven() {
    OnTrimSilence();
    OnEvenLoudness();
}

void PhraseEditControls::ShowNote(const char* text) {
    note_->setText(text != nullptr ? QString::fromUtf8(text) : QString());
    note_->setVisible(text != nullptr);
    warning_->setVisible(text == nullptr && figures_.clipped_samples > 0);
}

}  // namespace kotar
