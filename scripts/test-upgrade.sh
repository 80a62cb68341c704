#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An upgrade keeps the user's data (root; kotar must not be installed):
#   test-upgrade.sh DEB
# installs an older package (DEB's files under a lower version), makes a property with kotar-cli
# as an ordinary user (MEVAN.INI, the work folder with the property and a phrase, a phrase file,
# the communication log), installs DEB over it as an upgrade, and finds every file and folder
# as it was, byte for byte, and read by the new kotar-cli; then removes and purges the package
# and finds them still there.
set -euo pipefail

deb=$(realpath "${1:?usage: test-upgrade.sh DEB}")
user=nobody
name='東京 本社'

fail() {
    echo "test-upgrade: $*" >&2
    exit 1
}

[ "$(id -u)" = 0 ] || fail "needs root"
if dpkg-query -W -f='${Status}' kotar 2>/dev/null | grep -q 'install ok installed'; then
    fail "kotar is installed already; not touching it"
fi
work=$(mktemp -d /tmp/kotar-upgrade.XXXXXX)
chmod 755 "$work"
installed_here=false
cleanup() {
    if $installed_here; then
        dpkg --purge kotar >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -y -q --no-install-recommends "$@" >/dev/null; }
installed_version() { dpkg-query -W -f='${Status} ${Version}' kotar 2>/dev/null || true; }

# The older package: DEB unchanged but for a lower version, so that DEB itself, as built, is
# what the upgrade unpacks and configures.
version=$(dpkg-deb -f "$deb" Version)
old_version=$version~older
dpkg --compare-versions "$old_version" lt "$version" || fail "$old_version is not older"
dpkg-deb -R "$deb" "$work/old"
sed -i "s/^Version: .*/Version: $old_version/" "$work/old/DEBIAN/control"
old_deb=$work/kotar_${old_version}_$(dpkg-deb -f "$deb" Architecture).deb
dpkg-deb --root-owner-group -b "$work/old" "$old_deb" >/dev/null

installed_here=true
apt_get install "$old_deb"
[ "$(installed_version)" = "install ok installed $old_version" ] ||
    fail "$old_version was not installed"

# The user's files, all in one home folder: MEVAN.INI in the folder kotar-cli starts in, the
# default work folder beneath, the log in the state folder.
home=$work/home
mkdir "$home"
chown "$user" "$home"
as_user() {
    (cd "$home" && setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
        env -i PATH=/usr/bin:/bin "HOME=$home" LANG=C.UTF-8 "$@")
}
cli() {
    as_user kotar-cli "$@" 2>"$work/cli.log" || fail "kotar-cli $1 failed: $(cat "$work/cli.log")"
}
cli new "$name"
as_user sox -n -r 8000 -b 16 -c 1 tone.wav synth 1 sine 440
cli import "$name" 3 tone.wav --text 案内
cli export "$name" rom.snd
# A device command on a port that is missing writes the open error into the log.
# shellcheck disable=SC2016  # $1 is the inner shell's
as_user sh -c 'printf "[PORTS]\r\nCOM3=%s\r\n" "$1" >>MEVAN.INI' - "$work/absent"
status=0
as_user kotar-cli --port 3 data-read data.log 2>/dev/null || status=$?
[ "$status" = 1 ] || fail "kotar-cli data-read on a missing port ended with $status"
for file in MEVAN.INI "MEVAN/DATA/TR_$name/03.wav" rom.snd .local/state/kotar/MEVAN_COM_N.LOG; do
    [ -s "$home/$file" ] || fail "kotar-cli made no $file"
done
listing=$(printf '%s\t0 0 1' "$name")
[ "$(as_user kotar-cli properties)" = "$listing" ] || fail "the property is not listed"

# Every entry with its type, mode, owner, size and modification time, and every file's digest.
snapshot() {
    (cd "$home" && find . -printf '%y %m %u %s %T@ %p\n' | LC_ALL=C sort &&
        find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}
snapshot >"$work/before"
compare() {
    snapshot >"$work/now"
    diff "$work/before" "$work/now" >&2 || fail "the user's files changed $1"
}

apt_get install "$deb"
[ "$(installed_version)" = "install ok installed $version" ] ||
    fail "the upgrade did not install $version"
compare "in the upgrade"
[ "$(as_user kotar-cli properties)" = "$listing" ] ||
    fail "the upgraded kotar-cli lists the property otherwise"
compare "when the upgraded kotar-cli read them"
echo "test-upgrade: $old_version upgraded to $version: MEVAN.INI, work folder and log intact"

apt_get remove kotar
[ ! -e /usr/bin/kotar-cli ] || fail "/usr/bin/kotar-cli is still there after the removal"
compare "in the removal"
# Without conffiles the removal has purged it already.
if dpkg-query -W kotar >/dev/null 2>&1; then
    dpkg --purge kotar >/dev/null
fi
installed_here=false
case $(installed_version) in
    '' | *not-installed*) ;;
    *) fail "kotar is still known to dpkg after the purge: $(installed_version)" ;;
esac
compare "in the purge"
echo "test-upgrade: removed and purged; the user's files stay"
