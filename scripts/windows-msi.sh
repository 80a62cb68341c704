#!/usr/bin/env bash
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
