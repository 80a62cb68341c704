// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/WaveForm.h"

#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/LengthLimit.h"
#include "audio/LevelAnalysis.h"
#include "common/Messages.h"
#include "ui/DialogLayout.h"

namespace kotar {

namespace {

constexpr int kTickMs = 50;
// The scroll bar between the view and its fields.
constexpr int kScrollBarGap = 3;
constexpr int kScrollBarHeight = 16;
// Angle of one wheel step.
constexpr int kWheelStep = 120;
const QColor kGreen(0, 255, 0);
// The green of a marked range with its colours inverted.
const QColor kInvertedGreen(255, 0, 255);
const QColor kLimitRed(255, 0, 0);

// a × b ÷ c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The pixel rows, in a view `height` high from row `top`, of a column whose samples reach from
// `smallest` to `largest` (16-bit: signed; 8-bit: 0 .. 255 around 128).
std::pair<int, int> ColumnRows(int largest, int smallest, bool wide, int height, int top) {
    if (wide)
        return {MulDiv(32768 - largest, height / 2, 32768) + top,
                MulDiv(32768 - smallest, height / 2, 32768) + top};
    return {height * (255 - largest) / 255 + top, height * (255 - smallest) / 255 + top};
}

}  // namespace

CWaveForm::CWaveForm(QWidget* parent, Prompter& prompter, std::uint16_t format_tag,
                     std::uint16_t channels, std::uint32_t samples_per_sec,
                     std::uint16_t bits_per_sample, std::uint32_t ms)
    : QWidget(parent), prompter_(prompter) {
    sound_.SetFormat(format_tag, channels, samples_per_sec, bits_per_sample);
    sound_.Allocate(CWaveFile::BytesForDuration(channels, samples_per_sec, bits_per_sample, ms),
                    prompter);
    full_capacity_ = sound_.capacity();
    state_ = kEmpty;
    Init();
}

CWaveForm::CWaveForm(QWidget* parent, Prompter& prompter, const CWaveFile& buffer)
    : QWidget(parent), prompter_(prompter), sound_(buffer) {
    full_capacity_ = sound_.capacity();
    state_ = kStopped;
    Init();
}

CWaveForm::CWaveForm(QWidget* parent, Prompter& prompter, const std::string& path)
    : QWidget(parent), prompter_(prompter), sound_(path, CWaveFile::kAudioMode, prompter) {
    full_capacity_ = sound_.capacity();
    read_only_ = true;
    state_ = kStopped;
    Init();
}

CWaveForm::~CWaveForm() {
    StopListening();
    delete length_field_;
    delete position_field_;
    delete range_field_;
    delete scroll_bar_;
}

void CWaveForm::Init() {
    record_timer_.setInterval(kTickMs);
    play_timer_.setInterval(kTickMs);
    connect(&record_timer_, &QTimer::timeout, this, &CWaveForm::OnRecordTick);
    connect(&play_timer_, &QTimer::timeout, this, &CWaveForm::OnPlayTick);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWaveForm::Create(const QRect& rect, bool compact) {
    compact_ = compact;
    setGeometry(rect);
    client_ = QRect(0, 0, rect.width(), rect.height());
    const int h = client_.height();
    zero_line_ = QRect(client_.left(), h / 2 - 2, client_.width(), 4);
    cursor_base_ = QRect(client_.left(), client_.top(), 4, h);
    cursor_ = cursor_base_;
    ComputeScale(sound_.capacity());

    QWidget* dialog = parentWidget();
    scroll_bar_ = new QScrollBar(Qt::Horizontal, dialog);
    scroll_bar_->setObjectName("3003");
    scroll_bar_->setGeometry(rect.left(), rect.bottom() + 1 + kScrollBarGap, rect.width(),
                             kScrollBarHeight);
    scroll_bar_->setFocusPolicy(Qt::NoFocus);
    scroll_bar_->hide();
    connect(scroll_bar_, &QScrollBar::valueChanged, this, &CWaveForm::SetScroll);
    const int top = compact ? 70 : scroll_bar_->geometry().bottom() + 1 + kScrollBarGap;
    length_field_ = MakeReadOnlyField(dialog, 3000);
    position_field_ = MakeReadOnlyField(dialog, 3001);
    range_field_ = MakeReadOnlyField(dialog, 3002);
    length_field_->setGeometry(10, top, 150, 25);
    position_field_->setGeometry(170, top, 140, 25);
    range_field_->setGeometry(320, top, 150, 25);
    length_field_->show();
    position_field_->show();
    range_field_->hide();
    ShowLength();
    ShowPosition();

    selection_state_ = kInitial;
    columns_.assign(static_cast<std::size_t>(std::max(client_.width(), 0)), {h / 2, h / 2});
    ComputeColumns();
    surface_ = QImage(client_.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    Draw();
    // The compact form shows nothing: the dialog's buttons lie where the picture would be.
    setVisible(!compact);
}

int CWaveForm::fields_bottom() const {
    return length_field_ != nullptr ? length_field_->geometry().bottom() : geometry().bottom();
}

void CWaveForm::ComputeScale(std::uint32_t bytes) {
    scale_ = DrawWidth() > 0 ? static_cast<double>(bytes) / DrawWidth() : 0;
}

std::uint32_t CWaveForm::ColumnToBytes(int column) const {
    // Zoom steps are powers of two, so a column zoomed in from another names the same byte.
    return static_cast<std::uint32_t>(column * ColumnBytes());
}

std::uint32_t CWaveForm::CursorBytes() const {
    return ColumnToBytes(cursor_.left());
}

void CWaveForm::MoveCursor(int left) {
    cursor_ = cursor_base_.translated(left, 0);
}

void CWaveForm::ComputeColumns() {
    const int width = client_.width();
    const int height = client_.height();
    if (width <= 0 || columns_.empty())
        return;
    if (zoom_ > 1) {
        ComputeZoomedColumns();
        return;
    }
    const WaveFormat& format = sound_.format();
    const std::uint8_t* bytes = sound_.data();
    const std::uint32_t length = std::min(sound_.length(), sound_.capacity());
    std::size_t read = 0;
    if (format.bits_per_sample == 16) {
        const std::size_t total = length / 2;
        const auto count = static_cast<std::size_t>(std::ceil(scale_ / 2));
        for (int i = 0; i <= width - 4 && i < width; ++i) {
            int largest = 0;
            int smallest = 0;
            for (std::size_t k = 0; k < count && read < total; ++k, ++read) {
                const int v = SampleAt(bytes, read);
                largest = std::max(largest, v);
                smallest = std::min(smallest, v);
            }
            columns_[i] = ColumnRows(largest, smallest, true, height, client_.top());
        }
    } else {
        const auto count = static_cast<std::size_t>(std::ceil(scale_));
        for (int i = 0; i <= width - 4 && i < width; ++i) {
            int largest = 128;
            int smallest = 128;
            for (std::size_t k = 0; k < count && read < length; ++k, ++read) {
                largest = std::max<int>(largest, bytes[read]);
                smallest = std::min<int>(smallest, bytes[read]);
            }
            columns_[i] = ColumnRows(largest, smallest, false, height, client_.top());
        }
    }
}

// Zoomed, every shown column covers exactly its own samples (at least one), so that the cursor
// and the marked range lie on the samples drawn under them. Unzoomed, the columns above keep
// their own rule: half the scale in samples per column, one after the other.
void CWaveForm::ComputeZoomedColumns() {
    const int height = client_.height();
    const std::uint8_t* bytes = sound_.data();
    const bool wide = sound_.format().bits_per_sample == 16;
    const std::size_t per_sample = wide ? 2 : 1;
    const std::size_t total = std::min(sound_.length(), sound_.capacity()) / per_sample;
    for (int i = 0; i <= DrawWidth() && i < static_cast<int>(columns_.size()); ++i) {
        const std::size_t first = ColumnToBytes(scroll_ + i) / per_sample;
        const std::size_t end = std::max(first + 1, ColumnToBytes(scroll_ + i + 1) / per_sample);
        int largest = wide ? 0 : 128;
        int smallest = largest;
        for (std::size_t k = first; k < end && k < total; ++k) {
            const int v = wide ? SampleAt(bytes, k) : bytes[k];
            largest = std::max(largest, v);
            smallest = std::min(smallest, v);
        }
        columns_[i] = ColumnRows(largest, smallest, wide, height, client_.top());
    }
}

void CWaveForm::Draw() {
    if (surface_.isNull())
        return;
    QPainter painter(&surface_);
    painter.fillRect(client_, Qt::black);
    // The cursor and the range are kept in phrase columns; the view shows from scroll_ on.
    if (selection_state_ == kRangeMarked)
        painter.fillRect(selection_.translated(-scroll_, 0), kInvertedGreen);
    painter.fillRect(zero_line_, kGreen);
    painter.fillRect(cursor_.translated(-scroll_, 0), kGreen);
    QPen pen(kGreen, 2, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(pen);
    for (int i = 0; i <= client_.width() - 5 && i < static_cast<int>(columns_.size()); ++i) {
        painter.drawLine(client_.left() + i, columns_[i].first, client_.left() + i,
                         columns_[i].second);
    }
    if (const int limit = LimitColumn(); limit >= 0)
        painter.fillRect(client_.left() + limit, client_.top(), 1, client_.height(), kLimitRed);
    painter.end();
    update();
}

void CWaveForm::SetLengthLimit(double max_seconds) {
    limit_bytes_ = max_seconds > 0 ? BytesForSeconds(sound_, max_seconds) : 0;
    Draw();
}

int CWaveForm::LimitColumn() const {
    if (limit_bytes_ == 0 || ColumnBytes() <= 0)
        return -1;
    const double column = limit_bytes_ / ColumnBytes() - scroll_;
    return column >= 0 && column <= DrawWidth() ? static_cast<int>(column) : -1;
}

void CWaveForm::paintEvent(QPaintEvent*) {
    if (compact_)
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

std::string CWaveForm::DurationText(const char* prefix, std::uint32_t hundredths) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%02u.%02u%s", prefix, hundredths / 100, hundredths % 100,
                  "秒");
    return text;
}

void CWaveForm::ShowLength() {
    if (length_field_ == nullptr)
        return;
    const WaveFormat& f = sound_.format();
    const std::uint32_t per_hundredth =
        (f.samples_per_sec / 100) * (f.bits_per_sample / 8) * f.channels;
    const std::uint32_t hundredths = per_hundredth != 0 ? sound_.length() / per_hundredth : 0;
    length_field_->setText(QString::fromStdString(DurationText("長さ： ", hundredths)));
}

void CWaveForm::ShowPosition() {
    if (position_field_ == nullptr)
        return;
    const double per_hundredth = sound_.format().avg_bytes_per_sec / 100;
    const auto hundredths =
        per_hundredth > 0
            ? static_cast<std::uint32_t>(cursor_.left() * ColumnBytes() / per_hundredth)
            : 0u;
    position_field_->setText(QString::fromStdString(DurationText("位置： ", hundredths)));
}

void CWaveForm::ShowRange() {
    if (range_field_ == nullptr)
        return;
    const double per_hundredth = sound_.format().avg_bytes_per_sec / 100;
    const auto hundredths =
        per_hundredth > 0
            ? static_cast<std::uint32_t>(ColumnBytes() * selection_.width() / per_hundredth)
            : 0u;
    range_field_->setText(QString::fromStdString(DurationText("範囲： ", hundredths)));
}

int CWaveForm::BeginRecording() {
    // A new take starts afresh: nothing of the last one can be taken back into it.
    history_.Clear();
    ZoomTo(1);
    sound_.set_length(full_capacity_);
    ComputeScale(sound_.capacity());
    ShowLength();
    if (sound_.OpenRecord(*this) == 1) {
        state_ = kRecording;
    } else {
        prompter_.ShowMessage(kMsgNoRecordingDevice, MessageIcon::Error);
    }
    return state_;
}

int CWaveForm::EndRecording() {
    sound_.StopRecord();
    state_ = kStopped;
    return state_;
}

int CWaveForm::BeginPlayback() {
    if (state_ == kPaused || cursor_moved_) {
        cursor_moved_ = false;
    } else {
        MoveCursor(0);
    }
    if (sound_.OpenPlayback(*this) == 1) {
        state_ = kPlaying;
    } else {
        prompter_.ShowMessage(kMsgNoPlaybackDevice, MessageIcon::Error);
    }
    return state_;
}

int CWaveForm::PausePlaying() {
    sound_.PausePlayback();
    state_ = kPaused;
    // The cursor goes to the stopped position now, not only with the close: a play pressed
    // before that arrives resumes from there.
    MoveCursor(scale_ > 0 ? static_cast<int>(sound_.stopped_position() / ColumnBytes()) : 0);
    ShowPosition();
    Draw();
    return state_;
}

int CWaveForm::EndPlayback() {
    sound_.PausePlayback();
    state_ = kStopped;
    return state_;
}

int CWaveForm::RewindCursor() {
    MoveCursor(0);
    ShowPosition();
    state_ = kStopped;
    Draw();
    return state_;
}

void CWaveForm::OnRecordTick() {
    if (scale_ > 0)
        MoveCursor(static_cast<int>(sound_.RecordPosition() / ColumnBytes()));
    ComputeColumns();
    ShowPosition();
    Draw();
}

void CWaveForm::OnPlayTick() {
    if (scale_ > 0)
        MoveCursor(static_cast<int>(sound_.PlayPosition() / ColumnBytes()));
    KeepCursorVisible();
    ShowPosition();
    Draw();
}

void CWaveForm::OnInputOpen() {
    sound_.StartInput();
    record_timer_.start();
}

void CWaveForm::OnInputData(WaveHeader&) {
    sound_.CloseRecord();
    record_timer_.stop();
}

void CWaveForm::OnInputClose() {
    MoveCursor(0);
    sound_.FinishRecording();
    ComputeScale(sound_.length());
    ShowPosition();
    ShowLength();
    state_ = kStopped;
    ComputeColumns();
    Draw();
    Q_EMIT SoundChanged();
    Q_EMIT CtrlMessage();
}

void CWaveForm::OnOutputOpen() {
    sound_.Play(CursorBytes());
    play_timer_.start();
}

void CWaveForm::OnOutputDone(WaveHeader&) {
    sound_.ClosePlayback();
}

void CWaveForm::OnOutputClose() {
    play_timer_.stop();
    if (state_ == kPaused) {
        MoveCursor(scale_ > 0 ? static_cast<int>(sound_.stopped_position() / ColumnBytes()) : 0);
    } else {
        MoveCursor(0);
        state_ = kStopped;
    }
    ShowPosition();
    Draw();
    Q_EMIT CtrlMessage();
}

void CWaveForm::TrackButtonDown(QPoint screen) {
    if (read_only_ || state_ != kStopped)
        return;
    const QPoint point = mapFromGlobal(screen);
    if (range_field_ != nullptr)
        range_field_->hide();
    if (client_.contains(point)) {
        // The cursor may not start past the last column of the sound.
        MoveCursor(scroll_ + std::min(point.x(), std::max(DrawWidth(), 0)));
        ShowPosition();
        cursor_moved_ = true;
        selection_state_ = kCursorPlaced;
    } else {
        selection_state_ = kCleared;
    }
    Draw();
}

void CWaveForm::TrackMouseMove(QPoint screen) {
    if (read_only_ || state_ != kStopped)
        return;
    if (selection_state_ != kCursorPlaced && selection_state_ != kRangeMarked)
        return;
    // In phrase columns: the view shows the phrase from scroll_ on.
    const int x = mapFromGlobal(screen).x() + scroll_;
    int left = cursor_.left();
    int right = cursor_.left() + cursor_.width();
    if (x > right) {
        right = std::min(x, scroll_ + client_.left() + client_.width() - 4);
        selection_state_ = kRangeMarked;
        range_field_->show();
    } else if (x < left) {
        left = std::max(x, scroll_ + client_.left());
        selection_state_ = kRangeMarked;
        range_field_->show();
    } else {
        selection_state_ = kCursorPlaced;
    }
    selection_ = QRect(left, client_.top(), std::max(right - left, 0), client_.height());
    ShowRange();
    Draw();
}

void CWaveForm::TrackButtonUp(QPoint screen) {
    if (read_only_ || state_ != kStopped)
        return;
    if (selection_state_ != kRangeMarked || IsNotLongerThan(1) == 1) {
        range_field_->hide();
        selection_state_ = kCleared;
        Draw();
        return;
    }
    raise();
    activateWindow();
    QMenu menu(this);
    menu.setTitle("波形編集");
    QAction* remove = menu.addAction("削除");
    remove->setData(kDeleteCommand);
    connect(remove, &QAction::triggered, this, &CWaveForm::DeleteSelection);
    menu_ = &menu;
    menu.exec(screen);
    menu_ = nullptr;
}

void CWaveForm::DeleteSelection() {
    history_.DeleteRange(ColumnToBytes(selection_.left()),
                         ColumnToBytes(selection_.left() + selection_.width()));
    AfterEdit();
}

void CWaveForm::AfterEdit() {
    // A zoomed view keeps showing the same part of the phrase as far as it can (a shorter
    // phrase may allow less zoom).
    const double first_byte = scroll_ * ColumnBytes();
    ComputeScale(sound_.length());
    zoom_ = std::min(zoom_, MaxZoom());
    scroll_ = ColumnBytes() > 0 ? static_cast<int>(first_byte / ColumnBytes()) : 0;
    UpdateScrollBar();
    ComputeColumns();
    MoveCursor(0);
    ShowPosition();
    ShowLength();
    if (range_field_ != nullptr)
        range_field_->hide();
    selection_state_ = kCleared;
    Draw();
    Q_EMIT SoundChanged();
}

bool CWaveForm::Edited(bool changed) {
    if (changed)
        AfterEdit();
    return changed;
}

bool CWaveForm::EvenLoudness(double target_lufs) {
    return CanEdit() && Edited(history_.EvenLoudness(target_lufs));
}

bool CWaveForm::TrimSilence() {
    return CanEdit() && Edited(history_.TrimSilence());
}

bool CWaveForm::Undo() {
    return CanEdit() && Edited(history_.Undo());
}

bool CWaveForm::Redo() {
    return CanEdit() && Edited(history_.Redo());
}

int CWaveForm::MaxZoom() const {
    // Powers of two up to at most one sample (two bytes) per column.
    int zoom = 1;
    while (scale_ / zoom > 2.0)
        zoom *= 2;
    return zoom;
}

void CWaveForm::ZoomIn() {
    ZoomTo(std::min(zoom_ * 2, MaxZoom()));
}

void CWaveForm::ZoomOut() {
    ZoomTo(std::max(zoom_ / 2, 1));
}

void CWaveForm::ZoomTo(int zoom, std::optional<int> pointer_x) {
    if (zoom == zoom_ || compact_ || state_ == kRecording || zoom < 1)
        return;
    const auto rescale = [&](int column) {
        return static_cast<int>(static_cast<long long>(column) * zoom / zoom_);
    };
    // The phrase column at the pointer keeps its pixel; without a pointer the cursor does, and
    // a cursor out of view comes to the middle.
    int anchor = 0;
    int anchor_column = 0;
    if (pointer_x) {
        anchor = std::clamp(*pointer_x, 0, std::max(DrawWidth(), 0));
        anchor_column = rescale(scroll_ + anchor);
    } else {
        anchor = cursor_.left() - scroll_;
        if (anchor < 0 || anchor > DrawWidth())
            anchor = DrawWidth() / 2;
        anchor_column = rescale(cursor_.left());
    }
    MoveCursor(rescale(cursor_.left()));
    const int selection_right = rescale(selection_.left() + selection_.width());
    selection_.setLeft(rescale(selection_.left()));
    selection_.setRight(selection_right - 1);
    zoom_ = zoom;
    scroll_ = anchor_column - anchor;
    UpdateScrollBar();
    ComputeColumns();
    ShowRange();
    Draw();
}

int CWaveForm::MaxScroll() const {
    return PhraseColumns() - std::max(DrawWidth(), 0);
}

void CWaveForm::SetScroll(int column) {
    column = std::clamp(column, 0, MaxScroll());
    if (column == scroll_)
        return;
    scroll_ = column;
    UpdateScrollBar();
    ComputeColumns();
    Draw();
}

void CWaveForm::UpdateScrollBar() {
    scroll_ = std::clamp(scroll_, 0, MaxScroll());
    if (scroll_bar_ == nullptr)
        return;
    const QSignalBlocker quiet(scroll_bar_);
    scroll_bar_->setRange(0, MaxScroll());
    scroll_bar_->setPageStep(std::max(DrawWidth(), 1));
    scroll_bar_->setSingleStep(std::max(DrawWidth() / 10, 1));
    scroll_bar_->setValue(scroll_);
    scroll_bar_->setVisible(zoom_ > 1 && !compact_);
}

void CWaveForm::KeepCursorVisible() {
    // A zoomed view turns the page when playback runs out of it.
    if (zoom_ > 1 && (cursor_.left() < scroll_ || cursor_.left() > scroll_ + DrawWidth()))
        SetScroll(cursor_.left());
}

void CWaveForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        TrackButtonDown(event->globalPosition().toPoint());
}

void CWaveForm::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        TrackMouseMove(event->globalPosition().toPoint());
}

void CWaveForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        TrackButtonUp(event->globalPosition().toPoint());
}

void CWaveForm::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / kWheelStep;
    if (steps == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        const int x = static_cast<int>(event->position().x()) - client_.left();
        for (int i = 0; i < std::abs(steps); ++i)
            ZoomTo(steps > 0 ? std::min(zoom_ * 2, MaxZoom()) : std::max(zoom_ / 2, 1), x);
    } else if (zoom_ > 1) {
        SetScroll(scroll_ - steps * std::max(DrawWidth() / 8, 1));
    } else {
        event->ignore();
        return;
    }
    event->accept();
}

int CWaveForm::CheckLength(double max_seconds) const {
    return kotar::CheckLength(sound_, max_seconds);
}

std::uint32_t CWaveForm::TruncateToSeconds(double seconds) {
    return kotar::TruncateToSeconds(sound_, seconds);
}

int CWaveForm::IsNotLongerThan(std::uint32_t seconds) const {
    return kotar::IsNotLongerThan(sound_, seconds);
}

int CWaveForm::Save(const std::string& path, const std::string& text) const {
    return sound_.Save(path, text);
}

}  // namespace kotar
