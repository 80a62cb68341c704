// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kotar {

// The program icon, drawn rather than loaded: a red alarm bell with a speech wave on a light
// rounded square.
QPixmap DrawProgramIcon(int size_px);
QIcon ProgramIcon();

}  // namespace kotar
