// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QRect>

class QLineEdit;
class QWidget;

namespace kotar {

// The dialog font: the first installed of "MS PGothic", "Noto Sans CJK JP", "IPAPGothic", else
// the default sans serif, at the given size.
QFont DialogFont(int point_size = 9);

// Converts dialog units to pixels with a font's base units (width: average advance of the 52
// Latin letters; height: the font's line height), the way dialog templates are laid out.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;  // horizontal units to pixels
    int Y(int units) const;  // vertical units to pixels
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

    int base_width_px() const { return base_width_px_; }
    int base_height_px() const { return base_height_px_; }

private:
    int base_width_px_;
    int base_height_px_;
};

// Places a child at a rectangle given in dialog units and names it by its control id.
template <typename Widget>
Widget* PlaceControl(Widget* widget, const DialogUnits& units, int id, int x, int y, int width,
                     int height) {
    if (id != 0)
        widget->setObjectName(QString::number(id));
    widget->setGeometry(units.Rect(x, y, width, height));
    return widget;
}

// A read-only text field that takes no focus, named by its control id: a figure the dialog shows.
QLineEdit* MakeReadOnlyField(QWidget* parent, int id);

}  // namespace kotar
