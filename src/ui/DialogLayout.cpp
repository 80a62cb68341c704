// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogLayout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QString>
#include <QStringList>

namespace kotar {
namespace {

// Rounds like the platform's MulDiv: halves away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

QFont DialogFont(int point_size) {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"MS PGothic", "Noto Sans CJK JP", "IPAPGothic"}) {
        if (families.contains(QString::fromLatin1(name), Qt::CaseInsensitive)) {
            QFont font(QString::fromLatin1(name), point_size);
            return font;
        }
    }
    QFont font(QStringLiteral("Sans Serif"), point_size);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    // The average of the Latin letters, not averageCharWidth(): for CJK fonts that is the
    // full-width advance and would make every dialog twice as wide.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int total = metrics.horizontalAdvance(letters);
    base_width_px_ = (total / 26 + 1) / 2;
    base_height_px_ = metrics.height();
    if (base_width_px_ <= 0)
        base_width_px_ = 1;
    if (base_height_px_ <= 0)
        base_height_px_ = 1;
}

int DialogUnits::X(int units) const {
    return ScaleRounded(units, base_width_px_, 4);
}

int DialogUnits::Y(int units) const {
    return ScaleRounded(units, base_height_px_, 8);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}

QLineEdit* MakeReadOnlyField(QWidget* parent, int id) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::number(id));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

}  // namespace kotar
