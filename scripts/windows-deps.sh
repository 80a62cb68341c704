#!/usr/bin/env bash
# Builds the Windows libraries of the cross build from Debian's own sources, with the MinGW-w64
# toolchain of cmake/mingw-w64-x86_64.cmake, into BUILD_DIR/deps/prefix:
#   libsndfile and libsoxr  from `apt-get source` of the versions installed here (without the
#                           external codecs FLAC, Vorbis, Opus and MP3),
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

source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
sndfile_src=$(source_of libsndfile1-dev)
soxr_src=$(source_of libsoxr-dev)
gtest_ver=$(dpkg-query -W -f='${Version}' googletest)
stamp_text="$sndfile_src $soxr_src googletest=$gtest_ver $(sha256sum "$0" "$toolchain" | cut -c1-16 | tr '\n' ' ')"
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
    local name=$1 src=$2
    shift 2
    cmake -S "$src" -B "$deps/build/$name" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKOTAR_WINDOWS_DEPS="$prefix" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_SHARED_LINKER_FLAGS="-static-libgcc" "$@" >"$deps/build/$name.log" 2>&1
    nice -n 5 cmake --build "$deps/build/$name" -j "$jobs" >>"$deps/build/$name.log" 2>&1
    cmake --install "$deps/build/$name" >>"$deps/build/$name.log" 2>&1
}

ensure_deb_src
rm -rf "$deps"
mkdir -p "$deps/src" "$deps/build" "$prefix"
(cd "$deps/src" && apt-get source -q "$sndfile_src" "$soxr_src" >"$deps/build/apt-source.log" 2>&1) || {
    cat "$deps/build/apt-source.log" >&2
    exit 1
}
sndfile_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'libsndfile-*' | head -1)
soxr_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'libsoxr-*' | head -1)

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
echo "windows-deps: GoogleTest ($gtest_ver)"
cmake_build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
    -Dgtest_disable_pthreads=OFF

echo "$stamp_text" >"$deps/stamp"
