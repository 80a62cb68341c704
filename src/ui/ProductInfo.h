// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kotar {

// The product title: caption of the main window and of message boxes without their own caption.
inline constexpr const char* kProductTitle = "KOTAR";
// The second line of the version information box.
inline constexpr const char* kProductDescription = "火災通報装置 音声フレーズ作成ツール";
// The version compiled into the program.
inline constexpr const char* kVersionText = KOTAR_VERSION_TEXT;

}  // namespace kotar
