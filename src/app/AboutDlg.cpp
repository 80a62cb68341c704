// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/ProgramIcon.h"
#include "ui/DialogLayout.h"
#include "ui/ProductInfo.h"

namespace kotar {

CAboutDlg::CAboutDlg(QWidget* parent) : CancellableDialog(parent) {
    setWindowTitle(QString::fromUtf8(kProductTitle) + QStringLiteral("のバージョン情報"));
    setFont(DialogFont(8));
    DialogUnits du(font());
    setFixedSize(du.Size(235, 55));

    auto* icon = PlaceControl(new QLabel(this), du, 0, 11, 14, 21, 20);
    icon->setPixmap(DrawProgramIcon(32));
    icon->setAlignment(Qt::AlignCenter);
    // Every text at the top of its label: the title and the version share one baseline, and the
    // description's lies 16 units (two lines of the font) below it.
    const auto text_label = [this, &du](const QString& text, int id, int x, int y, int width) {
        auto* label = PlaceControl(new QLabel(text, this), du, id, x, y, width, 10);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    auto* title =
        text_label(QString::fromUtf8(kProductTitle) + QStringLiteral(" Version"), 0, 40, 10, 60);
    title->resize(title->sizeHint().width(), title->height());
    // The template text stays only if the compiled-in version were missing.
    auto* version = text_label(QStringLiteral("1.00"), 1127, 90, 10, 60);
    version->setText(QString::fromUtf8(kVersionText));
    // The version follows the title on the same line, one space apart.
    version->move(
        title->x() + title->width() + title->fontMetrics().horizontalAdvance(QLatin1Char(' ')),
        version->y());
    text_label(QString::fromUtf8(kProductDescription), 0, 40, 26, 130);
    auto* ok = PlaceControl(new QPushButton(QStringLiteral("OK"), this), du, 1, 178, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}

QString CAboutDlg::version_text() const {
    return findChild<QLabel*>(QStringLiteral("1127"))->text();
}

}  // namespace kotar
