#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows libraries of the cross build from Debian's own sources, with the MinGW-w64
# toolchain of cmake/mingw-w64-x86_64.cmake, into BUILD_DIR/deps/prefix:
#   libsndfile and libsoxr  from `apt-get source` of the versions installed here (without the
#                           external codecs FLAC, Vorbis, Opus and MP3),
#   libebur128              the same way (a static library with its pkg-config file; the
#                           archive's version when its -dev package is not installed here),
#   GoogleTest              from /usr/src/googletest (Debian's googletest package).
# The result is kept: a second run with the same versions does nothing.
# Usage: scripts/windows-deps.sh [BUILD_DIR]   (default build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath -m "${1:-build-windows}")
deps=$build_dir/deps
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-$(nproc)}

# SOURCE=VERSION of a binary package: the installed one, else the archive's candidate.
source_of() {
    if dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null | grep -q '^ii'; then
        dpkg-query -W -f='${source:Package}=${source:Version}' "$1"
        return
    fi
    apt-cache show --no-all-versions "$1" | awk -v pkg="$1" '
        /^Source:/ { src = $2; if ($3 != "") { ver = $3; gsub(/[()]/, "", ver) } }
        /^Version:/ { bin = $2 }
        END { if (src == "") src = pkg; if (ver == "") ver = bin; print src "=" ver }'
}
sndfile_src=$(source_of libsndfile1-dev)
soxr_src=$(source_of libsoxr-dev)
ebur128_src=$(source_of libebur128-dev)
gtest_ver=$(dpkg-query -W -f='${Version}' googletest)
stamp_text="$sndfile_src $soxr_src $ebur128_src googletest=$gtest_ver $(sha256sum "$0" "$toolchain" | cut -c1-16 | tr '\n' ' ')"
if [[ -f $deps/stamp && "$(cat "$deps/stamp")" == "$stamp_text" ]]; then
    exit 0
fi

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# apt-get source needs deb-src entries: mirror the Debian archive entries this machine already
# uses (deb822 .sources files and one-line lists), nothing else.
ensure_deb_src() {
    if apt-cache showsrc "${sndfile_src%%=*}" 2>/dev/null | grep -q '^Package:'; then
        return
    fi
    local tmp
    tmp=$(mktemp -d)
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f $f && $f != */kotar-deb-src.sources ]] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:([^\n]* )?deb( |\n|$)/ && /(^|\n)URIs:[^\n]*debian/ {
                 sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' \
            "$f" >>"$tmp/kotar-deb-src.sources"
    done
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list >"$tmp/kotar-deb-src.list"
    fi
    local found=0
    for f in "$tmp"/*; do
        if [[ -s $f ]]; then
            $SUDO install -m 644 "$f" /etc/apt/sources.list.d/
            found=1
        fi
    done
    rm -rf "$tmp"
    if [[ $found -eq 0 ]]; then
        echo "windows-deps: no Debian archive entry found to derive deb-src entries from" >&2
        exit 1
    fi
    $SUDO apt-get update
}

# cmake_build NAME SOURCE_DIR [OPTIONS...]: configure, build and install into the prefix.
cmake_build() {
    local name=$1 src=$2 log=$deps/build/$1.log
    shift 2
    if ! {
        cmake -S "$src" -B "$deps/build/$name" -G "Unix Makefiles" \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKOTAR_WINDOWS_DEPS="$prefix" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DCMAKE_SHARED_LINKER_FLAGS="-static-libgcc" "$@" &&
            nice -n 5 cmake --build "$deps/build/$name" -j "$jobs" &&
            cmake --install "$deps/build/$name"
    } >"$log" 2>&1; then
        echo "windows-deps: building $name failed; the end of $log:" >&2
        tail -n 40 "$log" >&2
        exit 1
    fi
}

# apt-get source SRC=VERSION into $deps/src. Where the mirror lacks the Debian part of a source
# package (its packaging and patches), the upstream tarball that apt did fetch and check against
# the .dsc is unpacked alone, and the script says so.
fetch_source() {
    local name=${1%%=*} version=${1#*=}
    local log=$deps/build/apt-source-$name.log
    if (cd "$deps/src" && apt-get source -q "$1" >"$log" 2>&1); then
        return
    fi
    version=${version#*:}
    local orig
    orig=$(find "$deps/src" -maxdepth 1 -name "${name}_${version%-*}.orig.tar.*" | head -1)
    if [[ -z $orig ]]; then
        cat "$log" >&2
        exit 1
    fi
    echo "windows-deps: $1: Debian's part is missing on this mirror; building the upstream source" >&2
    tar -xf "$orig" -C "$deps/src"
}

ensure_deb_src
rm -rf "$deps"
mkdir -p "$deps/src" "$deps/build" "$prefix"
for source in "$sndfile_src" "$soxr_src" "$ebur128_src"; do
    fetch_source "$source"
done
sndfile_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'libsndfile-*' | head -1)
soxr_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'libsoxr-*' | head -1)
ebur128_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'libebur128-*' | head -1)

echo "windows-deps: libsoxr ($soxr_src)"
cmake_build soxr "$soxr_dir" -DBUILD_SHARED_LIBS=ON -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF -DWITH_VR32=OFF
# libsoxr installs its pkg-config file on other systems only.
mkdir -p "$prefix/lib/pkgconfig"
soxr_version=$(sed -n 's/^Version: *//p' /usr/lib/*/pkgconfig/soxr.pc 2>/dev/null | head -1)
printf 'prefix=%s\nName: soxr\nDescription: High quality, one-dimensional sample-rate conversion library\nVersion: %s\nLibs: -L${prefix}/lib -lsoxr\nCflags: -I${prefix}/include\n' \
    "$prefix" "${soxr_version:-${soxr_src#*=}}" >"$prefix/lib/pkgconfig/soxr.pc"
echo "windows-deps: libsndfile ($sndfile_src)"
cmake_build sndfile "$sndfile_dir" -DBUILD_SHARED_LIBS=ON -DBUILD_PROGRAMS=OFF \
    -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF \
    -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF -DENABLE_PACKAGE_CONFIG=ON \
    -DINSTALL_PKGCONFIG_MODULE=ON
echo "windows-deps: libebur128 ($ebur128_src)"
cmake_build ebur128 "$ebur128_dir" -DBUILD_SHARED_LIBS=OFF
echo "windows-deps: GoogleTest ($gtest_ver)"
cmake_build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
    -Dgtest_disable_pthreads=OFF

echo "$stamp_text" >"$deps/stamp"
