#!/bin/sh
# Builds everything and runs the whole test suite; exits non-zero on any failure.
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KRX_BUILD_DIR:-$ROOT/build}
"$ROOT/scripts/deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=${KRX_BUILD_TYPE:-RelWithDebInfo} $KRX_CMAKE_ARGS >/dev/null
cmake --build "$BUILD"
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300
