#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages given as arguments that are not installed yet. A package that the
# machine's archive entries do not offer (the Japanese voice lives in `contrib`) makes it add the
# `contrib` component of the Debian archives this machine already uses, nothing else.
set -euo pipefail
missing=()
for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
fi

offered() {
    apt-cache policy "$1" 2>/dev/null | grep -q 'Candidate: [^(]'
}

# The machine's Debian `deb` entries again, with the component `contrib` only.
enable_contrib() {
    local tmp found=0
    tmp=$(mktemp -d)
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f $f && $f != */kotar-contrib.sources ]] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:([^\n]* )?deb( |\n|$)/ && /(^|\n)URIs:[^\n]*debian/ {
                 sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb");
                 sub(/(^|\n)Components:[^\n]*/, "\nComponents: contrib");
                 sub(/^\n/, ""); print }' \
            "$f" >>"$tmp/kotar-contrib.sources"
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^deb \([^ ]*debian[^ ]* [^ ]*\) .*$/deb \1 contrib/p' /etc/apt/sources.list \
            >"$tmp/kotar-contrib.list"
    fi
    for f in "$tmp"/*; do
        if [[ -s $f ]]; then
            $SUDO install -m 644 "$f" /etc/apt/sources.list.d/
            found=1
        fi
    done
    rm -rf "$tmp"
    if [[ $found -eq 0 ]]; then
        echo "install-deps: no Debian archive entry found to add contrib to" >&2
        exit 1
    fi
    $SUDO apt-get update
}

$SUDO apt-get update
for pkg in "${missing[@]}"; do
    if ! offered "$pkg"; then
        enable_contrib
        break
    fi
done
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
