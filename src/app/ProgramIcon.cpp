// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace kotar {

QPixmap DrawProgramIcon(int size_px) {
    QPixmap pixmap(size_px, size_px);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size_px;

    painter.setPen(QPen(QColor(120, 20, 20), s / 32.0));
    painter.setBrush(QColor(250, 244, 236));
    painter.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.18, s * 0.18);

    // Bell: a dome on a rim, with a clapper below.
    QPainterPath bell;
    bell.moveTo(s * 0.14, s * 0.70);
    bell.cubicTo(s * 0.22, s * 0.62, s * 0.20, s * 0.22, s * 0.38, s * 0.20);
    bell.cubicTo(s * 0.56, s * 0.22, s * 0.54, s * 0.62, s * 0.62, s * 0.70);
    bell.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(210, 30, 30));
    painter.drawPath(bell);
    painter.drawRect(QRectF(s * 0.12, s * 0.68, s * 0.52, s * 0.07));
    painter.drawEllipse(QPointF(s * 0.38, s * 0.82), s * 0.07, s * 0.07);
    painter.drawEllipse(QPointF(s * 0.38, s * 0.17), s * 0.04, s * 0.04);

    // Sound waves to the right of the bell: the spoken phrase.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(30, 90, 200), s / 16.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        qreal r = s * (0.14 + 0.10 * i);
        QRectF arc(s * 0.62 - r, s * 0.46 - r, 2 * r, 2 * r);
        painter.drawArc(arc, -40 * 16, 80 * 16);
    }
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawProgramIcon(size));
    return icon;
}

}  // namespace kotar
