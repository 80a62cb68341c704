#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every test of a build folder through ctest. The audio tests need a sound server: when
# none answers, a private PulseAudio daemon is started (scripts/sound-server.sh); everything
# started here is stopped at the end.
set -euo pipefail
build_dir=${1:-build}

source "$(dirname "$0")/sound-server.sh"
trap stop_sound_server EXIT

if command -v pulseaudio >/dev/null && command -v pactl >/dev/null &&
    ! pactl info >/dev/null 2>&1; then
    start_sound_server || echo "run-tests: no sound server could be started" >&2
fi

cd "$build_dir"
ctest --output-on-failure -j "$(nproc)" --timeout 600
