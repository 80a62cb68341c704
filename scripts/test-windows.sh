#!/usr/bin/env bash
# Tests of the Windows build under Wine, in a Wine prefix inside the Windows build folder:
#   the core unit tests (ctest in WINDOWS_BUILD_DIR, each test program run by Wine), then
#   the system tests of kotar-cli.exe against this machine's kotar-devsim (windows_system_tests
#   of LINUX_BUILD_DIR, which also runs kotar-cli of that build for comparison).
# One wineserver serves the whole run and is shut down at the end.
# Usage: scripts/test-windows.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR]
set -euo pipefail
windows_build=$(realpath "${1:-build-windows}")
linux_build=$(realpath "${2:-build}")

export WINEPREFIX=$windows_build/wine-prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs; arguments and file names pass through as UTF-8.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "test-windows: making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first program of a session starts Wine's own services, which would keep the output pipes
# of the first test open (ctest waits for them): start them here, with no output to hold.
wine cmd /c exit </dev/null >/dev/null 2>&1

echo "test-windows: core unit tests under Wine"
(cd "$windows_build" && ctest --output-on-failure --timeout 600)

echo "test-windows: kotar-cli.exe against kotar-devsim on COM7"
KOTAR_TEST_BIN_DIR=$linux_build KOTAR_WINDOWS_DIR=$windows_build/kotar-windows \
    KOTAR_WINDOWS_BUILD_DIR=$windows_build "$linux_build/tests/system/windows_system_tests"
