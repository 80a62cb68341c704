#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the desktop program when it exists, else shows the command-line tool's help.
set -euo pipefail
build_dir=${1:-build}
if [ -x "$build_dir/kotar" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "kotar: no desktop session found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
        echo "Start it from a desktop session, or under a virtual display:" >&2
        echo "  xvfb-run -a $build_dir/kotar" >&2
        exit 1
    fi
    exec "$build_dir/kotar" "$@"
fi
exec "$build_dir/kotar-cli" --help
