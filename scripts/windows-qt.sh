#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt for Windows (qtbase: Core, Gui, Widgets, Network, Test and the qwindows and qoffscreen
# platform plugins and the windowsvista style) from Debian's own qt6-base source package, of the
# version of the host's Qt tools, with the MinGW-w64 toolchain of cmake/mingw-w64-x86_64.cmake,
# shared. The installed prefix is kept outside the clone, by Debian version, compiler version,
# this script and the patches, so that a machine builds it once:
#   ${XDG_CACHE_HOME:-~/.cache}/kotar/qt-<version>-mingw-<hash>/
# Prints the prefix on its last line of standard output.
# Usage: scripts/windows-qt.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
patches=("$root"/cmake/patches/qtbase-*.patch)
jobs=${JOBS:-$(nproc)}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kotar

# The host tools (moc, uic, rcc) must be of the same version as the Qt that is built.
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
hash=$(cat "$0" "$toolchain" "${patches[@]}" | sha256sum | cut -c1-12)
prefix=$cache/qt-${version%%+*}-mingw-$hash
stamp_text="qt6-base=$version gcc=$compiler"
if [[ -f $prefix/kotar-stamp && "$(cat "$prefix/kotar-stamp")" == "$stamp_text" ]]; then
    echo "$prefix"
    exit 0
fi

work=$(mktemp -d "$cache/qt-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$work/build.log
echo "windows-qt: building Qt $version for Windows into $prefix (log: $log)" >&2
fail() {
    echo "windows-qt: $1 failed; the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
}

# apt-get source needs the deb-src entries that scripts/windows-deps.sh adds.
(cd "$work" && apt-get source -q "qt6-base=$version") >>"$log" 2>&1 || fail "apt-get source"
src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
for p in "${patches[@]}"; do
    patch -d "$src" -p1 <"$p" >>"$log" 2>&1 || fail "patch $(basename "$p")"
done

rm -rf "$prefix"
# Why the odd flags: Debian's dfsg source lacks wintab (tablet events off); Debian's patches
# force the Linux zstd, and pkg-config would report the host's libraries (both off); the
# bundled zlib, png, freetype, harfbuzz, pcre2 and double-conversion serve Windows.
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=OFF \
    -DFEATURE_network=ON -DFEATURE_testlib=ON -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_libb2=OFF \
    >>"$log" 2>&1 || fail "configure"
nice -n 5 cmake --build "$work/build" -j "$jobs" >>"$log" 2>&1 || fail "build"
cmake --install "$work/build" >>"$log" 2>&1 || fail "install"
echo "$stamp_text" >"$prefix/kotar-stamp"
# Older builds of other versions or scripts are of no use any more.
find "$cache" -maxdepth 1 -name 'qt-*-mingw-*' ! -path "$prefix" -exec rm -rf {} +
echo "$prefix"
