#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tests of the Windows build under Wine, in a Wine prefix inside the Windows build folder:
#   the core unit tests and the dialog and screenshot tests (ctest in WINDOWS_BUILD_DIR, each
#   test program run by Wine, the dialogs on Qt's offscreen platform) without any sound device, then the audio endpoint tests again and the wave device tests with a private
#   sound server's null devices, then the system tests of kotar-cli.exe against this machine's
#   kotar-devsim (windows_system_tests of LINUX_BUILD_DIR, which also runs kotar-cli of that
#   build for comparison), then kotar.exe itself on an X display
#   (tests/system/windows_desktop_test.sh).
# One wineserver serves the whole run and is shut down at the end.
# Usage: scripts/test-windows.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR]
set -euo pipefail
windows_build=$(realpath "${1:-build-windows}")
linux_build=$(realpath "${2:-build}")

source "$(dirname "$0")/wine-session.sh"
source "$(dirname "$0")/sound-server.sh"
trap 'stop_sound_server; stop_wine_session' EXIT

echo "test-windows: core unit tests under Wine, without sound devices"
(
    # Neither a sound server of this machine nor its sound cards.
    export KOTAR_TEST_SOUND_DEVICES=none PULSE_SERVER=unix:/nonexistent
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv=d"
    cd "$windows_build" && ctest --output-on-failure --timeout 600
)

echo "test-windows: audio endpoints and the wave device under Wine, with a private sound server's null devices"
start_sound_server
(cd "$windows_build" && KOTAR_TEST_SOUND_DEVICES=null \
    wine audio_tests.exe --gtest_filter='SystemSoundDevices.*' --gtest_brief=1)
(cd "$windows_build" && KOTAR_TEST_SOUND_DEVICES=null \
    wine audio_wave_device_tests.exe --gtest_brief=1)
stop_sound_server

echo "test-windows: kotar-cli.exe against kotar-devsim on COM7"
KOTAR_TEST_BIN_DIR=$linux_build KOTAR_WINDOWS_DIR=$windows_build/kotar-windows \
    KOTAR_WINDOWS_BUILD_DIR=$windows_build "$linux_build/tests/system/windows_system_tests"

echo "test-windows: kotar.exe on an X display, writing through its write dialog to kotar-devsim on COM7"
"$(dirname "$0")/../tests/system/windows_desktop_test.sh" "$windows_build" "$linux_build"
