#!/usr/bin/env bash
# Cross-builds the run-time shader compiler for Windows (x86-64, static):
# SPIRV-Tools, glslang, shaderc and SPIRV-Cross, from Debian's own source
# packages of the versions the Linux build links, into <prefix>.
#
#   tools/windows/deps.sh <work folder> <prefix>
#
# Nothing here is committed to the repository: the sources are fetched with
# apt-get source into the work folder and the result is cached in <prefix>
# (a second run with a complete prefix does nothing).
set -euo pipefail
work=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$here/../../cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

[[ -f $prefix/.complete ]] && exit 0
mkdir -p "$work" "$prefix"
cd "$work"

# Debian's sources: a deb-src entry beside the binary one, then the four packages.
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
if ! apt-get source --print-uris shaderc >/dev/null 2>&1; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    as_root tee /etc/apt/sources.list.d/korvel-deb-src.sources >/dev/null
  as_root apt-get update -q >/dev/null
fi
for package in spirv-tools glslang shaderc spirv-cross; do
  if ! compgen -G "$package-[0-9]*/" >/dev/null; then
    apt-get source -q "$package" >/dev/null
  fi
done
source_of() { compgen -G "$1-[0-9]*/" | head -n 1; }

# SPIRV-Headers is headers and grammar files only: Debian's installed copy
# serves every target, kept in a folder of its own so that the cross
# compiler never sees the host's /usr/include.
mkdir -p spirv-headers/include
cp -r /usr/include/spirv spirv-headers/include/

# -O1: the compiler runs once per shader at device start, and the build is
# most of the Windows job's time on a CI machine.
common=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF
        -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG")
if command -v ccache >/dev/null; then
  common+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
build() {
  local source=$1; shift
  cmake -S "$source" -B "$source/build-windows" "${common[@]}" "$@" >"$source/build-windows.log" 2>&1
  cmake --build "$source/build-windows" -j "$jobs" >>"$source/build-windows.log" 2>&1
  cmake --install "$source/build-windows" >>"$source/build-windows.log" 2>&1
}

# SPIRV-Tools: only the two libraries shaderc links (the core and the
# optimiser), copied into the prefix by hand since its install step would
# want every other library of the project built too.
tools=$(source_of spirv-tools)
cmake -S "$tools" -B "$tools/build-windows" "${common[@]}" -DSPIRV-Headers_SOURCE_DIR="$work/spirv-headers" \
  -DSPIRV_SKIP_TESTS=ON -DSPIRV_SKIP_EXECUTABLES=ON -DSPIRV_WERROR=OFF >"$tools/build-windows.log" 2>&1
cmake --build "$tools/build-windows" -j "$jobs" --target SPIRV-Tools-static SPIRV-Tools-opt >>"$tools/build-windows.log" 2>&1
mkdir -p "$prefix/lib" "$prefix/include"
cp "$tools/build-windows/source/libSPIRV-Tools.a" "$tools/build-windows/source/opt/libSPIRV-Tools-opt.a" "$prefix/lib/"
cp -r "$tools/include/spirv-tools" "$prefix/include/"
# glslang as Debian builds it: without its bundled SPIRV-Tools, so without
# the optimiser, exactly like the library the Linux build links.
build "$(source_of glslang)" -DENABLE_HLSL=ON -DENABLE_GLSLANG_BINARIES=OFF -DENABLE_SPVREMAPPER=OFF \
  -DENABLE_CTEST=OFF -DBUILD_EXTERNAL=OFF
# shaderc as Debian builds it against the system glslang: only its two
# static libraries, with the version text Debian's rules write.
shaderc=$(source_of shaderc)
cmake -S "$shaderc" -B "$shaderc/build-windows" "${common[@]}" -Dglslang_SOURCE_DIR="$prefix/include/glslang/" \
  -DSHADERC_SKIP_TESTS=ON -DSHADERC_SKIP_EXAMPLES=ON -DSHADERC_SKIP_COPYRIGHT_CHECK=ON \
  -DCMAKE_CXX_FLAGS="-I$prefix/include -I$work/spirv-headers/include" >"$shaderc/build-windows.log" 2>&1
printf '"shaderc %s\\n"\n' "${shaderc%/}" >"$shaderc/build-windows/build-version.inc"
cmake --build "$shaderc/build-windows" -j "$jobs" --target shaderc_static shaderc_util >>"$shaderc/build-windows.log" 2>&1
cp "$shaderc/build-windows/libshaderc/libshaderc_static.a" "$shaderc/build-windows/libshaderc_util/libshaderc_util.a" "$prefix/lib/"
cp -r "$shaderc/libshaderc/include/shaderc" "$prefix/include/"
# SPIRV-Cross: the C interface and the GLSL writer, the only output used.
build "$(source_of spirv-cross)" -DSPIRV_CROSS_SHARED=OFF -DSPIRV_CROSS_STATIC=ON -DSPIRV_CROSS_CLI=OFF \
  -DSPIRV_CROSS_ENABLE_TESTS=OFF -DSPIRV_CROSS_ENABLE_C_API=ON -DSPIRV_CROSS_ENABLE_HLSL=OFF \
  -DSPIRV_CROSS_ENABLE_MSL=OFF -DSPIRV_CROSS_ENABLE_CPP=OFF -DSPIRV_CROSS_ENABLE_REFLECT=OFF \
  -DSPIRV_CROSS_ENABLE_UTIL=OFF
touch "$prefix/.complete"
