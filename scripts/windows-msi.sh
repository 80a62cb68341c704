#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows installer from the folder that ships the Windows programs:
#   scripts/windows-msi.sh FOLDER OUT.msi VERSION
# Every file of FOLDER (subfolders too) goes to "C:\Program Files\KOTAR" (packaging/kotar.wxs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(realpath "$1")
out=$(realpath -m "$2")
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Component GUIDs are derived from the paths ("*"), so every build of a version gives the same
# components and an upgrade replaces them file by file.
name=$(basename "$folder")
(cd "$folder/.." && find "$name" -type f | LC_ALL=C sort) |
    wixl-heat -p "$name/" --directory-ref INSTALLDIR --component-group ProgramFiles \
        --var var.SourceDir --win64 >"$work/files.wxs"
# wixl finds sources only by paths relative to the folder of its source files.
ln -s "$folder" "$work/files"
cp "$root/packaging/kotar.wxs" "$work/"
rm -f "$out"
(cd "$work" && wixl -a x64 -D SourceDir=files -D Version="$version" -D Win64=yes -o "$out" \
    kotar.wxs files.wxs)
[[ -s $out ]] || { echo "windows-msi: wixl made no $out" >&2; exit 1; }
# The guide's entry gets its Japanese name here (wixl 0.101 crashes on a name that is not ASCII):
# the database takes code page 932, Japanese Windows' own, and the name is short|long.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$out" -i "$work/_ForceCodepage.idt"
msibuild "$out" -q "UPDATE Shortcut SET Name='KOTARG~1|KOTAR 使い方' WHERE Shortcut='GuideShortcut'"
msiinfo export "$out" Shortcut | grep -q 'KOTAR 使い方' ||
    { echo "windows-msi: the guide's entry was not named" >&2; exit 1; }
