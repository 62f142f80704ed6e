#!/usr/bin/env bash
# Builds the dependencies (once per machine) and then the project.
set -euo pipefail
cd "$(dirname "$0")/.."

arch="${ARCH:-x86_64}"
build_dir="${BUILD_DIR:-build}"
jobs="${JOBS:-$(nproc)}"

deps_prefix="$(./scripts/build-deps.sh "$arch" | tail -n 1)"

cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$arch-mingw.cmake" \
  -DDEPS_PREFIX="$deps_prefix" >/dev/null
# BUILD_TARGETS: only these targets (all of them when empty).
cmake --build "$build_dir" -j"$jobs" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
