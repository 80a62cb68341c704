#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kotar.exe of the Windows build under Wine on an X display with a window manager, driven as a
# user drives it: it starts with the property of its work folder shown (title checked, a picture
# of the main window kept), refuses a second copy, writes the property's phrases through the
# write dialog to kotar-devsim on COM7 (paced at the line's speed) exactly as kotar-cli of the
# Linux build makes them, and ends on the window manager's close request.
# Run by scripts/test-windows.sh inside its Wine session (WINEPREFIX set).
# Usage: windows_desktop_test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail
windows_build=$(realpath "$1")
linux_build=$(realpath "$2")
: "${WINEPREFIX:?run inside the Wine session of scripts/test-windows.sh}"

work=$(mktemp -d /tmp/kotar-desktop.XXXXXX)
pictures=$windows_build/screenshots
mkdir -p "$pictures"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k >/dev/null 2>&1 || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "windows desktop test: $*" >&2
    [[ -n ${DISPLAY:-} ]] && import -window root "$pictures/desktop-failure.png" 2>/dev/null
    exit 1
}

# Polls CONDITION (a command) every 0.2 s for at most SECONDS.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# The windows whose title is exactly TITLE, one id per line.
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
has_window() { [[ -n $(windows_titled "$1") ]]; }
window_count() { windows_titled "$1" | grep -c . || true; }
geometry() { xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}'; }

# --- the X display and a window manager ----------------------------------------------------
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
wait_for 20 xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 || fail "no window manager"
# Wine's desktop process is started with the first program of a server: a server started
# without this display would leave the programs without windows.
wineserver -k >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# --- a property made by kotar-cli of this machine, and what it puts into the device ---------
mkdir -p "$work/linux" "$work/start" "$work/data"
sox -n -r 8000 -c 1 -b 16 "$work/phrase.wav" synth 3 sine 440 vol 0.3
(
    cd "$work/linux"
    printf '[CONFIG]\r\nPATH=%s\r\n' "$work/data" >MEVAN.INI
    "$linux_build/kotar-cli" new 現場 >/dev/null
    "$linux_build/kotar-cli" import 現場 3 "$work/phrase.wav" --text 火事です >/dev/null
    "$linux_build/kotar-cli" export 現場 "$work/expected.snd" >/dev/null
)
windows_data="Z:${work//\//\\}\\data"
printf '[CONFIG]\r\nPATH=%s\r\nPORT=7\r\n' "$windows_data" >"$work/start/MEVAN.INI"

# A copy of the shipped folder: the communication log goes beside the program.
cp -r "$windows_build/kotar-windows" "$work/program"
log=$work/program/MEVAN_COM_N.LOG
"$linux_build/kotar-devsim" --link "$WINEPREFIX/dosdevices/com7" --paced \
    --memory-dump "$work/memory.bin" >"$work/devsim.out" 2>&1 &
devsim=$!
pids+=($devsim)
wait_for 20 test -e "$WINEPREFIX/dosdevices/com7" || fail "kotar-devsim did not start"

# --- start: the main window ------------------------------------------------------------------
(cd "$work/start" && exec wine "$work/program/kotar.exe") >"$work/kotar.out" 2>&1 &
kotar=$!
pids+=($kotar)
wait_for 60 has_window KOTAR || fail "the main window did not appear"
main=$(windows_titled KOTAR | head -n 1)
[[ $(xdotool getwindowname "$main") == KOTAR ]] || fail "title: $(xdotool getwindowname "$main")"
sleep 1 # nothing to poll for: the first paint after mapping
import -window "$main" "$pictures/desktop-main-window.png"
read -r width height < <(geometry "$main")
[[ $(identify -format '%w %h' "$pictures/desktop-main-window.png") == "$width $height" ]] ||
    fail "the picture is not the window's size"
# Painted: the panel's grey, the fields' white and the texts' dark pixels are there.
colours=$(convert "$pictures/desktop-main-window.png" -format %k info:)
((colours > 50)) || fail "the main window looks unpainted ($colours colours)"
grep -q $'^PORT=7\r$' "$work/start/MEVAN.INI" || fail "MEVAN.INI lost its port"

# --- a second copy is refused; the first runs on ------------------------------------------------
(cd "$work/start" && exec wine "$work/program/kotar.exe") >"$work/second.out" 2>&1 &
second=$!
pids+=($second)
wait_for 60 bash -c "[[ \$(xdotool search --onlyvisible --name '^KOTAR\$' | grep -c .) == 2 ]]" ||
    fail "the second copy showed no refusal"
refusal=$(windows_titled KOTAR | grep -vx "$main" | head -n 1)
read -r width height < <(geometry "$refusal")
((width < 600 && height < 300)) || fail "the second window is no message box (${width}x$height)"
xdotool windowactivate --sync "$refusal" key Return
wait_for 30 bash -c "! kill -0 $second 2>/dev/null" || fail "the refused copy did not end"
kill -0 "$kotar" || fail "the first copy ended"
[[ $(window_count KOTAR) == 1 ]] || fail "a window of the refused copy stayed"

# --- the write dialog: 書込 of the data made from the property -------------------------------
# The write/read button is the last control of the window: Shift+Tab from the property list.
xdotool windowactivate --sync "$main" key shift+Tab space
wait_for 30 has_window '書込／読込' || fail "the write dialog did not open"
dialog=$(windows_titled '書込／読込' | head -n 1)
read -r width height < <(geometry "$dialog")
# The dialog is 515 x 219 dialog units; 書込 of the made data spans (79, 94)-(139, 108), the
# progress bar (15, 174)-(500, 184). The write has ended when the bar's last pixels are filled
# (the status is not readable from outside; the device's memory is checked below).
pixel() { import -window "$dialog" -crop "1x1+$1+$2" txt:- | sed -n '2s/.*#\([0-9A-F]\{6\}\).*/\1/p'; }
bar_end=$((width * 498 / 515))
bar_middle=$((height * 179 / 219))
empty=$(pixel "$bar_end" "$bar_middle")
start_time=$(date +%s.%N)
xdotool mousemove --window "$dialog" $((width * 109 / 515)) $((height * 101 / 219)) click 1
bar_full() { [[ $(pixel "$bar_end" "$bar_middle") != "$empty" ]]; }
wait_for 180 bar_full || fail "the write did not end (the progress bar is not full)"
end_time=$(date +%s.%N)
if [[ -f $log ]] && iconv -f CP932 -t UTF-8 "$log" | grep -Eq 'エラー|失敗|中止'; then
    fail "the write failed: $(iconv -f CP932 -t UTF-8 "$log" | tail -n 3)"
fi
import -window "$dialog" "$pictures/desktop-write-dialog.png"
echo "windows desktop test: paced write of 131072 bytes from the write dialog took" \
    "$(awk "BEGIN{printf \"%.1f\", $end_time - $start_time}") s"
# Escape closes the dialog once the write has sent its end (input waits until then).
close_dialog() {
    xdotool windowactivate --sync "$dialog" key Escape 2>/dev/null
    sleep 0.5
    ! has_window '書込／読込'
}
wait_for 30 close_dialog || fail "the write dialog did not close"

# --- the window manager's close request ends the program -------------------------------------
wmctrl -i -c "$(printf '0x%x' "$main")"
wait_for 30 bash -c "! kill -0 $kotar 2>/dev/null" || fail "the close request did not end kotar.exe"
wait "$kotar" || fail "kotar.exe ended with $?"

# --- what the device holds is what kotar-cli makes of the property -----------------------------
kill -INT "$devsim"
wait "$devsim" || true
[[ -f $work/memory.bin ]] || fail "kotar-devsim wrote no memory dump"
cmp <(tail -c +$((0x80000 + 1)) "$work/memory.bin" | head -c 131072) "$work/expected.snd" ||
    fail "the phrases in the device differ from the property's"
echo "windows desktop test: ok (pictures in $pictures)"
