// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/EditHistory.h"
#include "audio/SoundCtrl.h"
#include "common/Prompter.h"

class QMenu;

namespace kotar {

// The waveform of one phrase with its play/record cursor and a range the user marks with the
// mouse and deletes; records into and plays from its own buffer. Beside itself, in the parent
// dialog, it shows the length (3000), the cursor position (3001) and the marked range (3002).
// It zooms by powers of two, down to one sample per pixel column: around the cursor from the
// keys, around the mouse pointer with Ctrl+wheel; a scroll bar (3003) under it moves the zoomed
// view. The changes of one session can be taken back.
class CWaveForm : public QWidget, public WaveListener {
    Q_OBJECT

public:
    enum State : int { kEmpty = 0, kRecording = 1, kPlaying = 2, kPaused = 3, kStopped = 4 };
    enum Selection : int { kInitial = 0, kCursorPlaced = 1, kRangeMarked = 2, kCleared = 3 };
    static constexpr int kDeleteCommand = 32771;

    // A new recording of `ms` milliseconds in the given format: length = capacity; state 0.
    CWaveForm(QWidget* parent, Prompter& prompter, std::uint16_t format_tag, std::uint16_t channels,
              std::uint32_t samples_per_sec, std::uint16_t bits_per_sample, std::uint32_t ms);
    // A copy of a buffer: editable, state 4.
    CWaveForm(QWidget* parent, Prompter& prompter, const CWaveFile& buffer);
    // A WAV file read in audio mode: read-only, state 4. Message 110 and UserAbort when it
    // cannot be read.
    CWaveForm(QWidget* parent, Prompter& prompter, const std::string& path);
    ~CWaveForm() override;

    // Places the view at a rectangle of its parent and creates the text fields and the scroll
    // bar below it; compact moves the fields up and paints nothing.
    void Create(const QRect& rect, bool compact);
    // The lowest pixel row of the fields in the parent.
    int fields_bottom() const;

    int BeginRecording();
    int EndRecording();
    int BeginPlayback();
    int PausePlaying();
    int EndPlayback();
    int RewindCursor();
    int GetState() const { return state_; }

    // Mouse editing, in screen coordinates.
    void TrackMouseMove(QPoint screen);
    void TrackButtonDown(QPoint screen);
    void TrackButtonUp(QPoint screen);
    // The context menu's delete command.
    void DeleteSelection();

    // Changes of the sound, only when editable and stopped; each is recorded for undo. False
    // when nothing changed.
    bool EvenLoudness(double target_lufs);
    bool TrimSilence();
    bool Undo();
    bool Redo();
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }

    // Zoom around the cursor: each step doubles or halves the pixel columns of the phrase.
    void ZoomIn();
    void ZoomOut();
    int zoom() const { return zoom_; }
    // The largest zoom: at most one sample per column.
    int MaxZoom() const;
    // The first phrase column shown (0 unless zoomed).
    int scroll() const { return scroll_; }
    void SetScroll(int column);

    // Marks the slot's maximum length with a red line where it falls in the view (0: none).
    void SetLengthLimit(double max_seconds);
    // The view column of the mark, or -1 when it lies outside the view or there is none.
    int LimitColumn() const;

    int CheckLength(double max_seconds) const;
    std::uint32_t TruncateToSeconds(double seconds);
    int IsNotLongerThan(std::uint32_t seconds) const;
    int Save(const std::string& path, const std::string& text) const;

    CSoundCtrl& sound() { return sound_; }
    const CSoundCtrl& sound() const { return sound_; }
    int selection_state() const { return selection_state_; }
    // The cursor and the marked range in phrase columns (pixels of the view unless zoomed).
    int cursor_left() const { return cursor_.left(); }
    QRect selection_rect() const { return selection_; }
    // The byte of the sound at a phrase column.
    std::uint32_t ColumnToBytes(int column) const;
    bool read_only() const { return read_only_; }
    // The drawn picture (what paint copies to the screen).
    const QImage& surface() const { return surface_; }
    // The open context menu, while it is open.
    QMenu* context_menu() const { return menu_; }

    // "%s%02d.%02d%s" duration texts of the three fields.
    static std::string DurationText(const char* prefix, std::uint32_t hundredths);

Q_SIGNALS:
    // "CTRL_MESSAGE": a recording or playback has closed; the parent re-reads the state.
    void CtrlMessage();
    // The sound changed: a recording ended, a cut, an operation, an undo or a redo.
    void SoundChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Ctrl+wheel zooms around the pointer; the wheel alone scrolls a zoomed view.
    void wheelEvent(QWheelEvent* event) override;

    void OnInputOpen() override;
    void OnInputData(WaveHeader& header) override;
    void OnInputClose() override;
    void OnOutputOpen() override;
    void OnOutputDone(WaveHeader& header) override;
    void OnOutputClose() override;

private:
    void Init();
    int DrawWidth() const { return client_.width() - 4; }
    void ComputeScale(std::uint32_t bytes);
    // Bytes per phrase column at the current zoom.
    double ColumnBytes() const { return scale_ / zoom_; }
    int PhraseColumns() const { return std::max(DrawWidth(), 0) * zoom_; }
    // The largest scroll position: the last view width of the phrase.
    int MaxScroll() const;
    void ComputeColumns();
    void ComputeZoomedColumns();
    // The phrase column at pointer_x (view pixels) keeps its pixel; without it the cursor's.
    void ZoomTo(int zoom, std::optional<int> pointer_x = std::nullopt);
    void UpdateScrollBar();
    void KeepCursorVisible();
    // After a change of the sound: the picture, the fields and the cursor as after a cut.
    void AfterEdit();
    // AfterEdit when the sound changed; the change.
    bool Edited(bool changed);
    bool CanEdit() const { return !read_only_ && state_ == kStopped; }
    void Draw();
    void MoveCursor(int left);
    std::uint32_t CursorBytes() const;
    void ShowLength();
    void ShowPosition();
    void ShowRange();
    void OnRecordTick();
    void OnPlayTick();

    Prompter& prompter_;
    CSoundCtrl sound_;
    QRect client_;
    QRect selection_;
    QRect zero_line_;
    QRect cursor_;
    QRect cursor_base_;
    double scale_ = 0;
    // Children of the parent dialog, which may delete them before this view.
    QPointer<QLineEdit> length_field_;
    QPointer<QLineEdit> position_field_;
    QPointer<QLineEdit> range_field_;
    QPointer<QScrollBar> scroll_bar_;
    int zoom_ = 1;
    int scroll_ = 0;
    bool read_only_ = false;
    int selection_state_ = kInitial;
    bool cursor_moved_ = false;
    std::vector<std::pair<int, int>> columns_;
    int state_ = kEmpty;
    QImage surface_;
    std::uint32_t full_capacity_ = 0;
    std::uint32_t limit_bytes_ = 0;  // the maximum length's mark; 0 when none
    bool compact_ = false;
    QTimer record_timer_;
    QTimer play_timer_;
    QMenu* menu_ = nullptr;
    EditHistory history_{sound_};
};

}  // namespace kotar
