#!/usr/bin/env bash
# Usage: build-deps.sh x86_64|i686
# Cross-compiles the third-party libraries for <arch>-w64-mingw32 from Debian's
# source packages into a prefix outside the repository, once per machine.
# The prefix name carries the source versions and a hash of this script, so a
# new Debian version or a change of build flags gives a fresh prefix while an
# unchanged machine reuses the one it has.
#
# Prints the prefix path as its last line of standard output.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
cache="${ANCHORDESK_CACHE:-$HOME/.cache/anchordesk}"
jobs="$(nproc)"
arch="${1:-x86_64}"
case "$arch" in
  x86_64) openssl_target=mingw64; openssl_extra= ;;
  # mingw's 32-bit assembler cannot represent the PIC relocations of
  # OpenSSL's x86 assembly; the C implementations are fast enough for us.
  i686)   openssl_target=mingw; openssl_extra=no-asm ;;
  *) echo "deps: unknown architecture '$arch' (x86_64 or i686)" >&2; exit 2 ;;
esac
host=$arch-w64-mingw32

log() { echo "deps: $*" >&2; }

source_version() {
  apt-cache showsrc --only-source "$1" 2>/dev/null |
    awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}

declare -A versions
for pkg in openssl libjsoncpp libyuv googletest; do
  v="$(source_version "$pkg")"
  if [ -z "$v" ]; then
    log "no source package '$pkg' known to apt (is there a deb-src entry?)"
    exit 1
  fi
  versions[$pkg]="$v"
done

script_hash="$(sha256sum "$0" | cut -c1-10)"
key="${arch}_openssl-${versions[openssl]}_jsoncpp-${versions[libjsoncpp]}_libyuv-${versions[libyuv]}_gtest-${versions[googletest]}_${script_hash}"
key="${key//[:~+]/.}"
prefix="$cache/deps-$key"

mkdir -p "$cache"
# Two builds on one machine must not fill the same prefix at once.
exec 8>"$cache/.lock-$arch"
flock 8

if [ -f "$prefix/.complete" ]; then
  log "reusing $prefix"
  echo "$prefix"
  exit 0
fi

log "building into $prefix"
work="$cache/src-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"

toolchain="$work/toolchain.cmake"
cat > "$toolchain" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $arch)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC

fetch() {
  local pkg="$1"
  (cd "$work" && apt-get source --only-source -q "$pkg=${versions[$pkg]}" >/dev/null 2>"$work/$pkg.fetch.log") || {
    log "apt-get source $pkg failed:"; cat "$work/$pkg.fetch.log" >&2; exit 1; }
  find "$work" -maxdepth 1 -mindepth 1 -type d -name "$pkg*" -print -quit
}

cmake_static() {
  local src="$1"; shift
  cmake -S "$src" -B "$src/_build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >"$src/_configure.log" 2>&1 || {
    cat "$src/_configure.log" >&2; exit 1; }
}

# OpenSSL: static libraries only.
log "openssl ${versions[openssl]}"
src="$(fetch openssl)"
(cd "$src" &&
  ./Configure $openssl_target --cross-compile-prefix=$host- --prefix="$prefix" --libdir=lib \
    no-shared no-tests no-engine no-dso no-async no-module $openssl_extra >_configure.log 2>&1 &&
  make -j"$jobs" build_libs >_build.log 2>&1 &&
  make install_dev >_install.log 2>&1) || { log "openssl failed; see $src/_*.log"; exit 1; }

# jsoncpp
log "jsoncpp ${versions[libjsoncpp]}"
src="$(fetch libjsoncpp)"
cmake_static "$src" -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_TESTS=OFF \
  -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=OFF
cmake --build "$src/_build" -j"$jobs" >"$src/_build.log" 2>&1 || { cat "$src/_build.log" >&2; exit 1; }
cmake --install "$src/_build" >/dev/null

# libyuv: only the library itself (no tools, no JPEG).
log "libyuv ${versions[libyuv]}"
src="$(fetch libyuv)"
cmake_static "$src" -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON -DUNIT_TEST=OFF
cmake --build "$src/_build" -j"$jobs" --target yuv >"$src/_build.log" 2>&1 || { cat "$src/_build.log" >&2; exit 1; }
mkdir -p "$prefix/lib" "$prefix/include"
cp "$src/_build/libyuv.a" "$prefix/lib/"
cp -r "$src/include/libyuv" "$src/include/libyuv.h" "$prefix/include/"

# GoogleTest and GoogleMock
log "googletest ${versions[googletest]}"
src="$(fetch googletest)"
cmake_static "$src" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
cmake --build "$src/_build" -j"$jobs" >"$src/_build.log" 2>&1 || { cat "$src/_build.log" >&2; exit 1; }
cmake --install "$src/_build" >/dev/null

# Boost is header-only for us: expose /usr/include/boost alone, never /usr/include.
mkdir -p "$prefix/boost-include"
ln -sfn /usr/include/boost "$prefix/boost-include/boost"

rm -rf "$work"
touch "$prefix/.complete"
log "done"
echo "$prefix"
