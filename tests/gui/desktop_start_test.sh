#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-program start of the desktop program (offscreen): MEVAN.INI is written in the start
# directory, and a copy that was killed (leaving its socket and lock file) does not keep the
# next one from starting.
set -euo pipefail
kotar=$1
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/start" "$work/data/TR_site" "$work/tmp" "$work/home"
# TMPDIR (without XDG_RUNTIME_DIR) keeps this run's single-instance socket apart from any other
# copy of the user's: it is made in the user's private folder there.
unset XDG_RUNTIME_DIR
export TMPDIR=$work/tmp HOME=$work/home QT_QPA_PLATFORM=offscreen

# Waits (at most 20 s) until the start directory's MEVAN.INI holds the last key of a load.
wait_for_ini() {
    for _ in $(seq 200); do
        if grep -q '^comment=' "$work/start/MEVAN.INI" 2>/dev/null &&
            [ "$(grep -c '^comment=' "$work/start/MEVAN.INI")" = 3 ]; then
            return 0
        fi
        kill -0 "$1" 2>/dev/null || { echo "kotar ended early" >&2; return 1; }
        sleep 0.1
    done
    echo "MEVAN.INI was not written" >&2
    return 1
}

printf '[CONFIG]\r\nPATH=%s\r\nRECDELAY=9\r\n' "$work/data" > "$work/start/MEVAN.INI"
(cd "$work/start" && exec "$kotar" maintenance) &
first=$!
wait_for_ini "$first"
grep -q $'^RECDELAY=3\r$' "$work/start/MEVAN.INI"
grep -q $'^PATH='"$work/data"$'\r$' "$work/start/MEVAN.INI"
[ -z "$(ls "$work/data" | grep -v '^TR_site$')" ]  # nothing else written to the work folder
socket=$work/tmp/kotar-$(id -u)/hPrevKOTAR$(id -u)
[ -S "$socket" ]
[ -f "$socket.lock" ]
kill -9 "$first"
wait "$first" 2>/dev/null || true
[ -S "$socket" ]  # left behind
[ -f "$socket.lock" ]

# The killed copy left its socket and lock file behind; the next copy starts all the same.
printf '[CONFIG]\r\nPATH=%s\r\n' "$work/data" > "$work/start/MEVAN.INI"
(cd "$work/start" && exec "$kotar") &
second=$!
wait_for_ini "$second"
# The second copy listens on the name again (connecting to a dead socket is refused).
if command -v python3 >/dev/null; then
    python3 -c 'import socket, sys; s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])' \
        "$socket"
fi
kill -9 "$second"
echo "desktop start: ok"
