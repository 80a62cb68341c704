#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: msiexec installs it silently
# into "C:\Program Files\KOTAR" with its Start-menu entry; the installed program, started as the
# entry starts it (in its own folder, on an X display), writes its first MEVAN.INI into the
# user's %LOCALAPPDATA%\KOTAR; msiexec removes what it installed and leaves the user's data.
# Usage: scripts/test-msi.sh WINDOWS_BUILD_DIR MSI
set -euo pipefail
windows_build=$(realpath "$1")
msi=$(realpath "$2")

export WINEPREFIX=$windows_build/wine-msi-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
rm -rf "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true; kill $(jobs -p) 2>/dev/null || true' EXIT
fail() { echo "test-msi: $*" >&2; exit 1; }

wineboot -i >/dev/null 2>&1
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/KOTAR"
msi_windows="Z:${msi//\//\\}"

wine msiexec /i "$msi_windows" /qn </dev/null || fail "msiexec /i failed"
for file in kotar.exe kotar-cli.exe platforms/qwindows.dll; do
    [[ -f $installed/$file ]] || fail "$file was not installed"
done
entry=$(find "$drive_c" -path '*/Start Menu/Programs/KOTAR.lnk' | head -1)
[[ -n $entry ]] || fail "no Start-menu entry KOTAR"
[[ -n $(find "$drive_c" -path '*/Start Menu/Programs/KOTAR 使い方.lnk') ]] ||
    fail "no Start-menu entry KOTAR 使い方"
for file in LICENSE.txt licenses/THIRD-PARTY-NOTICES.txt licenses/qt6-base.txt docs/guide.html; do
    [[ -f $installed/$file ]] || fail "$file was not installed"
done
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null |
    grep -q '{' || fail "not in the system's list of programs"

# The entry starts kotar.exe in the program's folder, which users may not write: the first
# start writes MEVAN.INI into the user's state folder, never beside the program.
settings=$(find "$drive_c/users" -maxdepth 4 -type d -path '*/AppData/Local' | head -1)/KOTAR
mkdir -p "$drive_c/MEVAN/DATA"  # the default work folder, so that the start asks nothing
(cd "$installed" && exec xvfb-run -a wine kotar.exe </dev/null >/dev/null 2>&1) &
program=$!
for _ in $(seq 600); do
    [[ -f $settings/MEVAN.INI ]] && grep -q '^comment=' "$settings/MEVAN.INI" && break
    kill -0 "$program" 2>/dev/null || fail "the installed program ended at start"
    sleep 0.1
done
grep -q '^comment=' "$settings/MEVAN.INI" 2>/dev/null || fail "no MEVAN.INI in $settings"
[[ ! -e $installed/MEVAN.INI ]] || fail "MEVAN.INI was written beside the program"
kill "$program" 2>/dev/null || true
wine taskkill /f /im kotar.exe >/dev/null 2>&1 || true
wait "$program" 2>/dev/null || true

wine msiexec /x "$msi_windows" /qn </dev/null || fail "msiexec /x failed"
[[ ! -e $installed/kotar.exe ]] || fail "kotar.exe is still installed after the removal"
[[ -z $(find "$drive_c" -path '*/Start Menu/Programs/KOTAR.lnk') ]] ||
    fail "the Start-menu entry is still there after the removal"
[[ -f $settings/MEVAN.INI ]] || fail "the removal took the user's MEVAN.INI"
echo "test-msi: installed, started, removed; the user's MEVAN.INI stays"
