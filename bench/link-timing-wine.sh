#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The paced phrase write and the program's turnaround of the Windows build under Wine and, for
# comparison, of the Linux build, each over a port served by kotar-devsim --paced --turnaround
# (under Wine as COM7). Takes some two minutes; needs both builds (make windows, make build).
# Usage: bench/link-timing-wine.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR]
set -euo pipefail
windows_build=$(realpath "${1:-build-windows}")
linux_build=$(realpath "${2:-build}")
source "$(dirname "$0")/../scripts/wine-session.sh"

# time_write LINK PROGRAM...: the simulator at LINK, the program's write over it, then the
# simulator's turnaround line.
time_write() {
    local link=$1
    shift
    "$linux_build/kotar-devsim" --link "$link" --paced --turnaround >"$folder/sim.out" &
    local sim=$!
    for _ in $(seq 100); do [[ -e $link ]] && break; sleep 0.05; done
    "$@"
    kill -INT "$sim"
    wait "$sim" || true
    grep turnaround "$folder/sim.out"
}

folder=$(mktemp -d)
echo "Windows build under Wine (COM7):"
time_write "$WINEPREFIX/dosdevices/com7" wine "$windows_build/link_timing_port.exe" --port 7
echo "Linux build (a pseudo-terminal named in [PORTS]):"
time_write "$folder/port" "$linux_build/bench/link_timing_port" --port 7 --device "$folder/port"
rm -rf "$folder"
