// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kotar {

// The pictures of the phrase dialogs, drawn by the program.
enum class TransportIcon { Play, Stop, Pause, Record };
QIcon DrawTransportIcon(TransportIcon icon);

// The countdown picture for n seconds left (1 to 5; 0 gives an empty dial).
QPixmap DrawCountdownBitmap(int seconds_left);

}  // namespace kotar
