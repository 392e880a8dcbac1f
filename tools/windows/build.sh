#!/usr/bin/env bash
# The Windows build, run by `tools/build.sh windows` once the packages are in:
#   1. the shader compiler cross-built from Debian's sources (tools/windows/deps.sh),
#      cached in <build>-windows/deps;
#   2. Korvelv0.dll, Korvelv0.lib, the tests, the demo and the C examples,
#      cross-built with mingw-w64 into <build>-windows;
#   3. the tests, under Wine on a private Xvfb server;
#   4. the demo under Wine: headless frames compared with the Linux build's,
#      then in a Win32 window.
#
#   tools/windows/build.sh [linux build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/../.."
linux=${1:-build}
build=$linux-windows
jobs=$(nproc)

tools/windows/deps.sh "$PWD/$build/deps-src" "$PWD/$build/deps"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE="${KORVEL_BUILD_TYPE:-Release}" -DKORVEL_WERROR=ON -DKORVEL_BUILD_BENCH=OFF \
  -DKORVEL_WINDOWS_DEPS="$PWD/$build/deps"
cmake --build "$build" -j "$jobs"

# Wine: a prefix of the build's own, made without any installer dialog, and
# an X server of its own (display :87) for the OpenGL context behind WGL.
export WINEPREFIX=$PWD/$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:87
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb' EXIT
for _ in $(seq 50); do [ -S /tmp/.X11-unix/X87 ] && break; sleep 0.1; done
wineboot -i >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The demo under Wine, with the models the Linux build converts at build time
# (korvel-import is a Linux program): its headless frames are compared with
# the Linux build's frames of the same scene, then it runs in a Win32 window.
# An existing Linux build folder keeps its configuration (CI's is the test
# command's Release build).
[ -f "$linux/CMakeCache.txt" ] ||
  cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE="${KORVEL_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$linux" -j "$jobs" --target korvel-demo korvel-frame-compare
mkdir -p "$build/examples/demo-models"
cp "$linux"/examples/demo-models/* "$build/examples/demo-models/" 2>/dev/null || true
frames=3
(cd "$linux" && rm -rf demo-frames && ./examples/korvel-demo --frames $frames >/dev/null)
(cd "$build" && rm -rf demo-frames && wine examples/korvel-demo.exe --frames $frames)
tools/windows/compare-frames.sh "$linux" "$build" $frames
(cd "$build" && rm -rf demo-frames && wine examples/korvel-demo.exe --window --frames 5)
[ -s "$build/demo-frames/frame_005.png" ] || { echo "the windowed demo wrote no frame" >&2; exit 1; }
echo "tools/windows/build.sh: the DLL's tests passed; the demo ran headless and in a window under Wine"
