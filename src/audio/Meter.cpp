// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Meter.h"

#include <QPainter>

namespace kotar {

CMeter::CMeter(QWidget* parent, const QRect& rect) : QWidget(parent) {
    setGeometry(rect);
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_ = QImage(rect.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int w = rect.width() / kSegments;
    const int bottom = rect.height();
    for (int i = 0; i < kSegments; ++i) {
        // From 1 + i·w to w + i·w, and 1 to bottom − 1 (right and bottom edges exclusive).
        segments_[i].rect = QRect(QPoint(1 + i * w, 1), QPoint(w + i * w - 1, bottom - 2));
        segments_[i].color_class = i < 20 ? 1 : (i < 27 ? 2 : 3);
    }
    Draw();
}

QColor CMeter::color(int segment) const {
    switch (segments_[segment].color_class) {
        case 1:
            return QColor(0, 255, 0);
        case 2:
            return QColor(255, 140, 0);
        default:
            return QColor(255, 0, 0);
    }
}

void CMeter::SetLevel(std::uint32_t peak) {
    const std::uint32_t level = (peak * kSegments) >> 15;
    for (int i = 0; i < kSegments; ++i)
        segments_[i].lit = level >= static_cast<std::uint32_t>(i);
    Draw();
}

int CMeter::LitCount() const {
    int count = 0;
    for (const Segment& s : segments_)
        count += s.lit ? 1 : 0;
    return count;
}

void CMeter::Draw() {
    QPainter painter(&surface_);
    painter.fillRect(surface_.rect(), Qt::black);
    painter.setPen(Qt::black);
    for (int i = 0; i < kSegments; ++i) {
        if (!segments_[i].lit)
            continue;
        painter.setBrush(color(i));
        painter.drawRect(segments_[i].rect);
    }
    painter.end();
    update();
}

void CMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

}  // namespace kotar
