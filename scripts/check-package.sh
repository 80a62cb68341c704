#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package that `make package` made:
#   check-package.sh DEB            its fields and files, the menu entry and the metainfo
#                                   validated, the version that the programs, the changelog and
#                                   the metainfo show, the programs started from the unpacked
#                                   tree the way the menu starts them (offscreen), and lintian;
#   check-package.sh --install DEB  also installs it on this machine (root, not installed yet),
#                                   starts the installed program from its menu entry as an
#                                   ordinary user, checks where that user's communication log
#                                   goes, and removes the package again.
set -euo pipefail

install=false
if [ "${1:-}" = --install ]; then
    install=true
    shift
fi
deb=${1:?usage: check-package.sh [--install] DEB}
deb=$(realpath "$deb")
app_id=io.github.kotar.kotar
icon_sizes=(16 22 24 32 48 64 128 256)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

work=$(mktemp -d /tmp/kotar-package.XXXXXX)
chmod 755 "$work"
started=()
installed_here=false
cleanup() {
    for pid in "${started[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    if $installed_here; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kotar >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- fields --------------------------------------------------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = kotar ] || fail "package name is not kotar"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "kotar_${version}_${arch}.deb" ] || fail "file name does not match $version/$arch"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libsndfile1 libsoxr0 libqt6widgets6 libqt6multimedia6 libpulse0 libc6; do
    grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# --- files ---------------------------------------------------------------------------------
expected=(
    ./usr/bin/kotar
    ./usr/bin/kotar-cli
    ./usr/bin/kotar-devsim
    ./usr/share/applications/kotar.desktop
    ./usr/share/bash-completion/completions/kotar-cli
    ./usr/share/doc/kotar/README.md
    ./usr/share/doc/kotar/changelog.gz
    ./usr/share/doc/kotar/copyright
    ./usr/share/man/man1/kotar.1.gz
    ./usr/share/man/man1/kotar-cli.1.gz
    ./usr/share/man/man1/kotar-devsim.1.gz
    "./usr/share/metainfo/$app_id.metainfo.xml"
)
for size in "${icon_sizes[@]}"; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/kotar.png")
done
# The installers' guide and the pictures it shows, named by its source.
guide_pictures=$(grep -o '](images/[A-Za-z0-9_-]*\.png)' "$(dirname "$0")/../docs/guide.md" |
    sed 's/^](images\///; s/\.png)$//' | sort -u)
[ -n "$guide_pictures" ] || fail "docs/guide.md shows no picture"
expected+=(./usr/share/doc/kotar/guide.html ./usr/share/doc-base/kotar-guide)
for name in $guide_pictures; do
    expected+=("./usr/share/doc/kotar/images/$name.png")
done
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "files differ from the expected list:
$(diff <(echo "$wanted") <(echo "$actual") || true)"
for program in kotar kotar-cli kotar-devsim; do
    grep -Eq "^-rwxr-xr-x root/root .* \./usr/bin/$program$" <<<"$listing" ||
        fail "/usr/bin/$program is not an executable owned by root"
done

# --- contents ------------------------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
desktop=$root/usr/share/applications/kotar.desktop
# Errors and warnings fail; a hint (the entry names more than one main category) does not.
validate_entry() {
    local out
    out=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate rejects $1: $out"
    if grep -v ': hint: ' <<<"$out" | grep -q .; then
        fail "desktop-file-validate warns about $1: $out"
    fi
}
validate_entry "$desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli rejects the metainfo"
for key in 'Name=KOTAR' 'Name\[ja\]=' 'Comment=' 'Comment\[ja\]=' 'Icon=kotar' 'Type=Application'; do
    grep -q "^$key" "$desktop" || fail "the menu entry lacks $key"
done
grep -Eq '^Categories=(.*;)?Utility;' "$desktop" && grep -Eq '^Categories=(.*;)?Audio;' "$desktop" ||
    fail "the menu entry is not in Utility and Audio"
# Width and height of a PNG, from its IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in "${icon_sizes[@]}"; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/kotar.png
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png")"
done
cmp -s "$root/usr/share/doc/kotar/README.md" "$(dirname "$0")/../README.md" ||
    fail "the packaged README differs from the source's"
guide=$root/usr/share/doc/kotar/guide.html
for name in $guide_pictures; do
    png=$root/usr/share/doc/kotar/images/$name.png
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    grep -q "<img src=\"images/$name.png\"" "$guide" || fail "the guide does not show $name.png"
done
cmp -s "$root/usr/share/doc/kotar/copyright" "$(dirname "$0")/../packaging/copyright" ||
    fail "the packaged copyright file differs from the source's"

# --- one version -----------------------------------------------------------------------------
for program in kotar kotar-cli kotar-devsim; do
    shown=$("$root/usr/bin/$program" --version | head -n 1)
    [ "$shown" = "$program $version" ] ||
        fail "$program --version shows '$shown', the package $version"
done
zcat "$root/usr/share/doc/kotar/changelog.gz" >"$work/changelog"
changelog_field() { dpkg-parsechangelog -l "$work/changelog" -S "$1"; }
[ "$(changelog_field Version)" = "$version" ] ||
    fail "the changelog's newest entry is $(changelog_field Version), the package $version"
[ "$(changelog_field Maintainer)" = "$(dpkg-deb -f "$deb" Maintainer)" ] ||
    fail "the changelog's maintainer is not the package's: $(changelog_field Maintainer)"
release_date=$(changelog_field Date | date -u -f - +%F)
grep -q "<release version=\"$version\" date=\"$release_date\"/>" \
    "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo's newest release is not $version of the changelog's date"

# The command of the menu entry, without field codes.
exec_command() { sed -n 's/^Exec=//p' "$1" | head -1 | sed 's/ %[fFuUdDnNickvm]//g'; }

# Starts the menu entry's command as the menu does (in the home folder, the PATH's program),
# offscreen, as user (or as this user when empty); waits until the start has written MEVAN.INI
# with its defaults, then ends it. The root PATH_PREFIX's usr/bin comes first in the PATH.
start_from_menu() {
    local entry=$1 user=$2 path_prefix=$3
    local home=$work/home-${user:-self}
    # With the default work folder present, as after the first start (which asks about it
    # first), the start runs through to its window without a message box.
    mkdir -p "$home/tmp" "$home/MEVAN/DATA"
    [ -z "$user" ] || chown -R "$user" "$home"
    local command
    command=$(exec_command "$entry")
    [ -n "$command" ] || fail "the menu entry has no Exec"
    local run=(env -i "PATH=$path_prefix/usr/bin:/usr/bin:/bin" "HOME=$home" "TMPDIR=$home/tmp"
        QT_QPA_PLATFORM=offscreen LANG=C.UTF-8)
    if [ -n "$user" ]; then
        run=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "${run[@]}")
    fi
    (cd "$home" && exec "${run[@]}" sh -c "exec $command") >"$home/start.log" 2>&1 &
    local pid=$!
    started+=("$pid")
    local ini=$home/MEVAN.INI
    for _ in $(seq 300); do
        if [ -f "$ini" ] && [ "$(grep -c '^comment=' "$ini")" = 3 ]; then
            break
        fi
        kill -0 "$pid" 2>/dev/null || fail "'$command' ended at start: $(cat "$home/start.log")"
        sleep 0.1
    done
    [ -f "$ini" ] && [ "$(grep -c '^comment=' "$ini")" = 3 ] || fail "'$command' wrote no MEVAN.INI"
    grep -q "^PATH=$home/MEVAN/DATA"$'\r$' "$ini" || fail "MEVAN.INI names no default work folder"
    kill -0 "$pid" 2>/dev/null || fail "'$command' ended after its start"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    echo "check-package: '$command' started from the menu entry${user:+ as $user}"
}

start_from_menu "$desktop" "" "$root"
"$root/usr/bin/kotar-cli" --help >/dev/null || fail "kotar-cli --help failed"
"$root/usr/bin/kotar-devsim" --help >/dev/null || fail "kotar-devsim --help failed"
echo "check-package: $(basename "$deb") holds what it should"

# --- lintian -------------------------------------------------------------------------------
# No error and no warning; informational tags are shown and may stay:
#   hardening-no-bindnow: the programs bind their library symbols lazily, as Debian's default
#   build flags leave them (cmake/Hardening.cmake).
lintian --fail-on error,warning --display-info "$deb" || fail "lintian finds errors or warnings"
echo "check-package: lintian passes"

$install || exit 0

# --- installed -----------------------------------------------------------------------------
[ "$(id -u)" = 0 ] || fail "--install needs root"
if dpkg-query -W -f='${Status}' kotar 2>/dev/null | grep -q 'install ok installed'; then
    fail "kotar is installed already; not touching it"
fi
installed_here=true
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >/dev/null
entry=/usr/share/applications/kotar.desktop
validate_entry "$entry"
[ -f /usr/share/icons/hicolor/48x48/apps/kotar.png ] || fail "the menu entry's icon is missing"
[ "$(command -v "$(exec_command "$entry")")" = /usr/bin/kotar ] ||
    fail "the menu entry does not start /usr/bin/kotar"
start_from_menu "$entry" nobody ""
# bash-completion finds the completion of kotar-cli where the package put it.
loaded=$(bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader kotar-cli
    complete -p kotar-cli')
[ "$loaded" = "complete -F _kotar_cli kotar-cli" ] || fail "no bash completion for kotar-cli: $loaded"

# An ordinary user cannot write beside /usr/bin/kotar-cli: the log goes to the state folder.
home=$work/home-nobody
printf '[CONFIG]\r\nPATH=%s\r\n[PORTS]\r\nCOM3=%s\r\n' "$home/MEVAN/DATA" "$work/absent" \
    >"$home/MEVAN.INI"
chown nobody "$home/MEVAN.INI"
status=0
(cd "$home" && setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    env -i PATH=/usr/bin:/bin "HOME=$home" kotar-cli --port 3 data-read "$home/data.log") \
    >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "kotar-cli data-read on a missing port ended with $status"
log=$home/.local/state/kotar/MEVAN_COM_N.LOG
[ -f "$log" ] || fail "no communication log in the user's state folder"
grep -q "$work/absent" "$log" || fail "the log lacks the open error"
[ ! -e /usr/bin/MEVAN_COM_N.LOG ] || fail "a log was written beside /usr/bin/kotar-cli"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kotar >/dev/null
installed_here=false
[ ! -e /usr/bin/kotar ] || fail "/usr/bin/kotar is still there after the removal"
echo "check-package: installed, started from the menu as nobody, logged to the state folder, removed"
