// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

#include "audio/LevelAnalysis.h"
#include "common/ProfileFile.h"

class QDialog;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kotar {

class CWaveForm;

// The level figures and the level and history commands of the recording and editing dialogs:
// peak (1301) and loudness (1302) of the phrase ("無音" for silence) with a warning when it
// clips (1303), "音量を揃える" (1304) to the target loudness (1305, kept as CONFIG/LOUDNESS of
// MEVAN.INI once the user changes it), "前後の無音を削除" (1306), and "元に戻す" (1307, Ctrl+Z)
// and "やり直し" (1308, Ctrl+Y or Ctrl+Shift+Z). The commands act on the waveform view; the
// figures follow every change of its sound. A note beside the figures (1309, in the warning's
// place) says when the peak ceiling kept the loudness below the target, or that a level command
// left a silent take as it was; the next change of the sound or the target takes it away.
class PhraseEditControls : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kClipWarning = "音が割れています（クリップ）";
    static constexpr const char* kPeakLimitNote = "ピーク制限のため目標に届きません";
    static constexpr const char* kSilenceNote = "無音のため変更しません";

    PhraseEditControls(QDialog* dialog, ProfileFile& ini, CWaveForm* view);

    // Places the figures and the level commands in two rows from pixel row top; the lowest
    // pixel row they take.
    int PlaceRows(int top);
    // Places the history buttons in a row from a point.
    void PlaceHistoryButtons(QPoint at);
    // Enables the commands for the view's state: only a stopped phrase is changed.
    void SetState(int state);
    // "前後の無音を削除" then "音量を揃える", each a change of its own to take back.
    void TrimAndEven();

private:
    void UpdateFigures();
    void UpdateEnabled();
    void OnTargetChanged(double lufs);
    void OnEvenLoudness();
    void OnTrimSilence();
    // Shows a note in the place of the clip warning (they hardly ever apply at once: a gain
    // held by the peak ceiling leaves no full-scale sample); null hides it and shows the warning
    // again when the phrase clips.
    void ShowNote(const char* text);

    ProfileFile& ini_;
    QPointer<CWaveForm> view_;
    int state_ = 0;
    QLineEdit* peak_ = nullptr;
    QLineEdit* loudness_ = nullptr;
    QLabel* warning_ = nullptr;
    QLabel* note_ = nullptr;
    // The figures of the phrase as the commands find it.
    LevelFigures figures_;
    QPushButton* even_ = nullptr;
    QDoubleSpinBox* target_ = nullptr;
    QPushButton* trim_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* redo_ = nullptr;
};

}  // namespace kotar
