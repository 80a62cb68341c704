// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace kotar {

namespace {
constexpr int kIconPx = 32;
constexpr int kCountdownPx = 96;
}  // namespace

QIcon DrawTransportIcon(TransportIcon icon) {
    QPixmap pixmap(kIconPx, kIconPx);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    switch (icon) {
        case TransportIcon::Play: {
            QPainterPath path;
            path.moveTo(9, 6);
            path.lineTo(27, 16);
            path.lineTo(9, 26);
            path.closeSubpath();
            p.setBrush(QColor(0, 128, 0));
            p.drawPath(path);
            break;
        }
        case TransportIcon::Stop:
            p.setBrush(QColor(32, 32, 32));
            p.drawRect(8, 8, 16, 16);
            break;
        case TransportIcon::Pause:
            p.setBrush(QColor(32, 32, 32));
            p.drawRect(8, 7, 6, 18);
            p.drawRect(18, 7, 6, 18);
            break;
        case TransportIcon::Record:
            p.setBrush(QColor(220, 0, 0));
            p.drawEllipse(QPointF(16, 16), 9, 9);
            break;
    }
    p.end();
    return QIcon(pixmap);
}

QPixmap DrawCountdownBitmap(int seconds_left) {
    QPixmap pixmap(kCountdownPx, kCountdownPx);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6, 6, kCountdownPx - 12, kCountdownPx - 12));
    if (seconds_left > 0) {
        QFont font;
        font.setPixelSize(56);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(200, 0, 0));
        p.drawText(pixmap.rect(), Qt::AlignCenter, QString::number(seconds_left));
    }
    p.end();
    return pixmap;
}

}  // namespace kotar
