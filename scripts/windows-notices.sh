#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence files that ship with the Windows programs: KOTAR's own licence and, for every
# third-party piece in the Windows folder, the copyright file of the Debian source package it was
# built from (as installed with that source's packages on this machine, which are the same
# versions the Windows build takes its sources from) with the full text of every licence the file
# only refers to in /usr/share/common-licenses.
#   OUT/LICENSE.txt, OUT/licenses/THIRD-PARTY-NOTICES.txt, OUT/licenses/<source>.txt, and
#   OUT/licenses/common/<licence>.txt
# Usage: scripts/windows-notices.sh OUT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1

fail() {
    echo "windows-notices: $*" >&2
    exit 1
}

# What ships, the binary package whose installed copyright file is its source package's.
pieces=(
    "Qt 6 (Core, Gui, Widgets, Network; the windows platform and style plugins)|qt6-base-dev"
    "Qt's Japanese texts (qtbase_ja.qm)|qt6-translations-l10n"
    "libsndfile (libsndfile.dll)|libsndfile1-dev"
    "libsoxr (libsoxr.dll)|libsoxr-dev"
    "libebur128 (linked into the programs)|libebur128-dev"
    "Open JTalk (open_jtalk.exe)|open-jtalk"
    "Open JTalk's dictionary (open_jtalk\\dic)|open-jtalk-mecab-naist-jdic"
    "HTS Engine API (linked into open_jtalk.exe)|libhtsengine1"
    "The voice nitech_jp_atr503_m001 (open_jtalk\\voice)|hts-voice-nitech-jp-atr503-m001"
    "The GCC runtime (libstdc++-6.dll, libgcc_s_seh-1.dll)|gcc-mingw-w64-base"
    "The MinGW-w64 runtime and winpthreads (libwinpthread-1.dll)|mingw-w64-common"
)

rm -rf "$out"
mkdir -p "$out/licenses/common"
[[ -f $root/LICENSE ]] || fail "the project's LICENSE is missing"
cp "$root/LICENSE" "$out/LICENSE.txt"

notices=$out/licenses/THIRD-PARTY-NOTICES.txt
{
    echo "KOTAR is free software under the GNU General Public License, version 3 or later"
    echo "(LICENSE.txt). The Windows programs ship with the following third-party software, each"
    echo "built from the Debian source package named below; its copyright file is in this folder."
    echo
} >"$notices"
for piece in "${pieces[@]}"; do
    what=${piece%%|*}
    package=${piece##*|}
    copyright=/usr/share/doc/$package/copyright
    [[ -f $copyright ]] || fail "$copyright is missing (install $package)"
    source=$(dpkg-query -W -f='${source:Package}' "$package")
    version=$(dpkg-query -W -f='${source:Version}' "$package")
    cp "$copyright" "$out/licenses/$source.txt"
    printf '%s\n    Debian source package %s %s: %s.txt\n' "$what" "$source" "$version" \
        "$source" >>"$notices"
    # The licences a Debian copyright file names only by their place on a Debian system.
    { grep -o '/usr/share/common-licenses/[A-Za-z0-9.+_-]*[A-Za-z0-9+_-]' "$copyright" || true; } |
        sort -u | while read -r licence; do
            [[ -f $licence ]] || continue
            cp "$(realpath "$licence")" "$out/licenses/common/$(basename "$licence").txt"
        done
done
{
    echo
    echo "Where a copyright file refers to /usr/share/common-licenses/NAME, the text is in"
    echo "common\\NAME.txt."
} >>"$notices"
