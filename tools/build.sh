#!/usr/bin/env bash
# One entry point for a fresh Debian machine:
#   tools/build.sh demo     install what is missing, build, run the demo
#   tools/build.sh test     install what is missing, build, run every test
#   tools/build.sh windows  the same for Korvelv0.dll: cross-build it with
#                           mingw-w64, run its tests and the demo under Wine
# Run as root, or as a user with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-test}
build=${KORVEL_BUILD_DIR:-build}
# RelWithDebInfo unless KORVEL_BUILD_TYPE names another (CI builds Release, as
# a packager would, so one build also proves -O3 compiles without a warning).
build_type=${KORVEL_BUILD_TYPE:-RelWithDebInfo}

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  libx11-dev libxext-dev libxtst-dev xvfb xauth
  libshaderc-dev glslang-dev spirv-tools libspirv-cross-c-shared-dev libstb-dev
  libfreetype-dev libfontconfig-dev libharfbuzz-dev
  libassimp-dev assimp-testmodels clang-format
  libsdl2-dev
  fonts-dejavu-core fonts-noto-cjk
)
if [ "$mode" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
if [ "$mode" = windows ]; then
  exec tools/windows/build.sh "$build"
fi
# The test command is the developers' and CI's: there warnings are errors. The
# demo keeps whatever the build folder was configured with (off when new).
werror=()
[ "$mode" = test ] && werror=(-DKORVEL_WERROR=ON)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="$build_type" "${werror[@]}"
cmake --build "$build" -j "$jobs"

case "$mode" in
  demo)
    cd "$build" && ./examples/korvel-demo "${@:2}"
    ;;
  test)
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
    # The readers of untrusted files again, under AddressSanitizer and
    # UndefinedBehaviorSanitizer: hostile-file tables and the fuzz replay.
    hostile=(test_image test_model test_xfile test_query fuzz_replay)
    cmake -S . -B "$build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_SANITIZE=ON -DKORVEL_WERROR=ON \
      -DKORVEL_BUILD_BENCH=OFF -DKORVEL_BUILD_EXAMPLES=OFF
    cmake --build "$build-asan" -j "$jobs" --target "${hostile[@]}"
    ctest --test-dir "$build-asan" --output-on-failure -j "$jobs" -L '^(test_image|test_model|test_xfile|test_query|fuzz_replay)$'
    ;;
  *)
    echo "usage: tools/build.sh demo|test|windows" >&2
    exit 2
    ;;
esac
