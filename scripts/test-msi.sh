#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under Wine, in a fresh prefix of its own: msiexec installs an older
# version of it (the same files under a lower version number) silently into
# "C:\Program Files\KOTAR" with its Start-menu entries; the installed program, started as the
# entry starts it (in its own folder, on an X display), writes its first MEVAN.INI into the
# user's %LOCALAPPDATA%\KOTAR, and its kotar-cli.exe makes a property there; the MSI then
# upgrades it in place and removes it, and the user's data is the same after each.
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

# The older version: the same folder under a lower version number.
version=$(msiinfo export "$msi" Property | sed -n 's/^ProductVersion\t\([^\r]*\).*/\1/p')
[[ -n $version ]] || fail "no ProductVersion in $msi"
older=$windows_build/kotar-older-test.msi
"$(dirname "$0")/windows-msi.sh" "$windows_build/kotar-windows" "$older" 0.9.0
older_windows="Z:${older//\//\\}"
# The versions in the system's list of programs.
listed_versions() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | awk '/DisplayName.*KOTAR$/ { kotar = 1 } /^HKEY/ { kotar = 0 }
                          kotar && /DisplayVersion/ { print $NF }' | sort
}

wine msiexec /i "$older_windows" /qn </dev/null || fail "msiexec /i of the older version failed"
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

# The user's data: a property with a phrase, made by the installed kotar-cli.exe with that
# MEVAN.INI, in the default work folder.
sox -n -r 8000 -c 1 -b 16 "$settings/phrase.wav" synth 1 sine 440 vol 0.3
(cd "$settings" && wine "C:\\Program Files\\KOTAR\\kotar-cli.exe" new 現場 &&
    wine "C:\\Program Files\\KOTAR\\kotar-cli.exe" import 現場 1 phrase.wav) </dev/null \
    >/dev/null || fail "kotar-cli.exe did not make the property"
user_data() {
    (cd "$drive_c" && find "${settings#"$drive_c/"}" MEVAN -type f -print0 | sort -z |
        xargs -0 sha256sum)
}
before=$(user_data)
grep -q 'TR_現場/01.wav' <<<"$before" || fail "the property's phrase is not there"
[[ $(listed_versions) == 0.9.0 ]] || fail "listed versions before the upgrade: $(listed_versions)"

wine msiexec /i "$msi_windows" /qn </dev/null || fail "msiexec /i of the upgrade failed"
[[ $(listed_versions) == "$version" ]] || fail "listed versions after the upgrade: $(listed_versions)"
[[ -f $installed/kotar.exe ]] || fail "the upgrade left no kotar.exe"
[[ $(user_data) == "$before" ]] || fail "the user's data changed in the upgrade"

wine msiexec /x "$msi_windows" /qn </dev/null || fail "msiexec /x failed"
[[ ! -e $installed/kotar.exe ]] || fail "kotar.exe is still installed after the removal"
[[ -z $(find "$drive_c" -path '*/Start Menu/Programs/KOTAR.lnk') ]] ||
    fail "the Start-menu entry is still there after the removal"
[[ -z $(listed_versions) ]] || fail "still listed after the removal: $(listed_versions)"
[[ $(user_data) == "$before" ]] || fail "the user's data changed in the removal"
echo "test-msi: 0.9.0 installed and started, upgraded to $version, removed; the user's data stays"
