#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the Windows build needs that takes long and is kept between builds: the libraries from
# Debian's sources (BUILD_DIR/deps, scripts/windows-deps.sh), Open JTalk and Qt for Windows
# (~/.cache/kotar, scripts/windows-openjtalk.sh and scripts/windows-qt.sh). One run at a time on a
# machine: a second one waits for the first and then finds everything made.
# Prints the Qt prefix and the Open JTalk folder, one per line.
# Usage: scripts/windows-prepare.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kotar
mkdir -p "$cache"
exec 9>"$cache/windows-prepare.lock"
flock 9
"$root/scripts/windows-deps.sh" "${1:-build-windows}" >&2
openjtalk=$("$root/scripts/windows-openjtalk.sh" | tail -n 1)
qt=$("$root/scripts/windows-qt.sh" | tail -n 1)
printf '%s\n%s\n' "$qt" "$openjtalk"
