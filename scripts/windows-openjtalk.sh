#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds open_jtalk.exe for 64-bit Windows from Debian's own sources (htsengine and open-jtalk,
# the versions installed here) with the MinGW-w64 toolchain, linked statically, and puts the
# dictionary and the voice that Debian ships beside it:
#   PREFIX/open_jtalk.exe
#   PREFIX/dic/        from open-jtalk-mecab-naist-jdic (its binary files are little-endian, as
#                      on amd64, so the files of this machine serve Windows x64 unchanged)
#   PREFIX/voice/      from hts-voice-nitech-jp-atr503-m001
# PREFIX is ${XDG_CACHE_HOME:-~/.cache}/kotar/openjtalk-<versions>-mingw-<hash>; a second run
# with the same versions returns at once. The last line written to stdout is PREFIX.
# Usage: scripts/windows-openjtalk.sh
set -euo pipefail
jobs=${JOBS:-$(nproc)}
triplet=x86_64-w64-mingw32
dic_dir=/var/lib/mecab/dic/open-jtalk/naist-jdic
voice_dir=/usr/share/hts-voice/nitech-jp-atr503-m001

for pkg in open-jtalk libhtsengine1 open-jtalk-mecab-naist-jdic hts-voice-nitech-jp-atr503-m001; do
    if ! dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null | grep -q '^ii'; then
        echo "windows-openjtalk: package $pkg is not installed" >&2
        exit 1
    fi
done
version_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
htsengine_src=$(version_of libhtsengine1)
openjtalk_src=$(version_of open-jtalk)
data_versions="$(version_of open-jtalk-mecab-naist-jdic) $(version_of hts-voice-nitech-jp-atr503-m001)"
hash=$(printf '%s %s %s\n' "$htsengine_src" "$openjtalk_src" "$data_versions" |
    cat - "$0" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kotar
prefix=$cache/openjtalk-${htsengine_src#*=}-${openjtalk_src#*=}-mingw-$hash
if [[ -f $prefix/stamp ]]; then
    echo "$prefix"
    exit 0
fi

# apt-get source needs deb-src entries; windows-deps.sh knows how to derive them.
if ! apt-cache showsrc "${openjtalk_src%%=*}" 2>/dev/null | grep -q '^Package:'; then
    echo "windows-openjtalk: no deb-src entries; run scripts/windows-deps.sh first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kotar-openjtalk.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/hts"
log=$work/build.log
run() {
    if ! "$@" >>"$log" 2>&1; then
        echo "windows-openjtalk: '$*' failed; the end of the log:" >&2
        tail -n 40 "$log" >&2
        exit 1
    fi
}
# The upstream tarball alone, unpacked, when the mirror lacks Debian's part.
fetch() {
    local name=${1%%=*} version=${1#*=}
    if (cd "$work/src" && apt-get source -q "$1" >>"$log" 2>&1); then
        return
    fi
    version=${version#*:}
    local orig
    orig=$(find "$work/src" -maxdepth 1 -name "${name}_${version%-*}.orig.tar.*" | head -1)
    [[ -n $orig ]] || { tail -n 20 "$log" >&2; exit 1; }
    echo "windows-openjtalk: $1: building the upstream source alone" >&2
    tar -xf "$orig" -C "$work/src"
}
fetch "$htsengine_src"
fetch "$openjtalk_src"
hts_dir=$(find "$work/src" -maxdepth 1 -type d -name 'htsengine-*' -o -maxdepth 1 -type d -name 'hts_engine*' | head -1)
ojt_dir=$(find "$work/src" -maxdepth 1 -type d -name 'open-jtalk-*' -o -maxdepth 1 -type d -name 'open_jtalk*' | head -1)

# Debian's build patches (shared libhtsengine) are for Debian's packages: the Windows program
# links hts_engine statically, as upstream does. Reverting them touches configure.ac and
# Makefile.am, so the generated files are dated after them again (autotools are not needed).
upstream_build() {
    local dir=$1 patch
    for patch in "$dir"/debian/patches/*shared_lib*.patch; do
        [[ -f $patch ]] || continue
        run patch -d "$dir" -R -p1 -i "$patch"
    done
    find "$dir" \( -name configure.ac -o -name Makefile.am -o -name '*.m4' \) \
        -exec touch -d '2000-01-01 00:00' {} +
    find "$dir" -name aclocal.m4 -exec touch -d '2000-01-02 00:00' {} +
    find "$dir" \( -name configure -o -name Makefile.in -o -name 'config.h.in' \) \
        -exec touch {} +
}
upstream_build "$hts_dir"
upstream_build "$ojt_dir"

cross=(--host=$triplet CC=$triplet-gcc-posix CXX=$triplet-g++-posix AR=$triplet-ar
    RANLIB=$triplet-ranlib)
echo "windows-openjtalk: hts_engine ($htsengine_src)" >&2
(cd "$hts_dir" && run ./configure "${cross[@]}" --prefix="$work/hts" --disable-shared \
    CFLAGS="-O2" && run nice -n 5 make -j "$jobs" && run make install)
echo "windows-openjtalk: open_jtalk ($openjtalk_src)" >&2
(cd "$ojt_dir" && run ./configure "${cross[@]}" --prefix="$work/ojt" --with-charset=UTF-8 \
    --with-hts-engine-header-path="$work/hts/include" \
    --with-hts-engine-library-path="$work/hts/lib" CFLAGS="-O2" CXXFLAGS="-O2" \
    LDFLAGS="-static")
# Everything but the dictionary, which needs MeCab's dictionary compiler running here: Debian's
# compiled one is taken instead. That compiler (not shipped) has a wmain that would need
# -municode: it is left out.
subdirs=$(sed -n '/^SUBDIRS *=/,/[^\\]$/p' "$ojt_dir/Makefile.am" | sed 's/^SUBDIRS *=//; s/\\//')
for dir in $subdirs; do
    [[ $dir == mecab-naist-jdic ]] && continue
    run nice -n 5 make -C "$ojt_dir/$dir" -j "$jobs" noinst_PROGRAMS=
done

rm -rf "$prefix"
mkdir -p "$prefix/dic" "$prefix/voice"
exe=$(find "$ojt_dir" -name open_jtalk.exe -type f | head -1)
install -m 755 "$exe" "$prefix/open_jtalk.exe"
$triplet-strip "$prefix/open_jtalk.exe"
cp "$dic_dir"/* "$prefix/dic/"
cp "$voice_dir"/*.htsvoice "$prefix/voice/"
echo "$htsengine_src $openjtalk_src $data_versions" >"$prefix/stamp"
echo "$prefix"
