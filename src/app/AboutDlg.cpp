#include "app/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/ProgramIcon.h"
#include "ui/DialogLayout.h"
#include "ui/ProductInfo.h"

namespace kotar {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kProductTitle) + QStringLiteral("のバージョン情報"));
    setFont(DialogFont(8));
    DialogUnits du(font());
    setFixedSize(du.Size(235, 55));

    auto* icon = PlaceControl(new QLabel(this), du, 0, 11, 14, 21, 20);
    icon->setPixmap(DrawProgramIcon(32));
    icon->setAlignment(Qt::AlignCenter);
    auto* title = PlaceControl(
        new QLabel(QString::fromUtf8(kProductTitle) + QStringLiteral(" Version"), this), du, 0, 40,
        10, 60, 10);
    title->adjustSize();
    // The template text stays only if the compiled-in version were missing.
    auto* version =
        PlaceControl(new QLabel(QStringLiteral("1.00"), this), du, 1127, 90, 10, 60, 10);
    version->setText(QString::fromUtf8(kVersionText));
    // The version follows the title on the same line, one space apart.
    version->move(
        title->x() + title->width() + title->fontMetrics().horizontalAdvance(QLatin1Char(' ')),
        version->y());
    PlaceControl(new QLabel(QString::fromUtf8(kProductDescription), this), du, 0, 40, 26, 130, 10);
    auto* ok = PlaceControl(new QPushButton(QStringLiteral("OK"), this), du, 1, 178, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}

QString CAboutDlg::version_text() const {
    return findChild<QLabel*>(QStringLiteral("1127"))->text();
}

}  // namespace kotar
