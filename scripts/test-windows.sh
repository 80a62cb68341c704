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

source "$(dirname "$0")/wine-session.sh"

echo "test-windows: core unit tests under Wine"
(cd "$windows_build" && ctest --output-on-failure --timeout 600)

echo "test-windows: kotar-cli.exe against kotar-devsim on COM7"
KOTAR_TEST_BIN_DIR=$linux_build KOTAR_WINDOWS_DIR=$windows_build/kotar-windows \
    KOTAR_WINDOWS_BUILD_DIR=$windows_build "$linux_build/tests/system/windows_system_tests"
