// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>

namespace kotar {

// The input level meter: thirty segments, green, then orange, then red, lit from the left up
// to the level of the last peak.
class CMeter : public QWidget {
public:
    static constexpr int kSegments = 30;

    explicit CMeter(QWidget* parent, const QRect& rect);

    // Peak 0 to 32768: segment i is lit when (peak × 30) >> 15 ≥ i.
    void SetLevel(std::uint32_t peak);

    int LitCount() const;
    bool lit(int segment) const { return segments_[segment].lit; }
    QColor color(int segment) const;
    QRect segment_rect(int segment) const { return segments_[segment].rect; }
    const QImage& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Segment {
        QRect rect;
        int color_class = 1;  // 1 green, 2 orange, 3 red
        bool lit = false;
    };
    void Draw();

    QImage surface_;
    std::array<Segment, kSegments> segments_;
};

}  // namespace kotar
