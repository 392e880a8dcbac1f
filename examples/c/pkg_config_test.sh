#!/bin/sh
# Installs the build into a scratch prefix and builds a C example against it
# with nothing but pkg-config, as a host project outside CMake would, and
# runs it.
#   pkg_config_test.sh BUILD_DIR EXAMPLE.c
set -eu
build=$1
source=$2
prefix=$build/pkgconfig-check
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name Korvelv0.pc)")
export PKG_CONFIG_PATH
test -f "$(pkg-config --variable=effectfile Korvelv0)"
cc -std=c99 -pedantic -Wall -Wextra -Werror "$source" $(pkg-config --cflags --libs Korvelv0) -o "$prefix/example"
# It runs on the installed library and effect file alone.
cp "$(pkg-config --variable=effectfile Korvelv0)" "$prefix/"
(cd "$prefix" && LD_LIBRARY_PATH=$(pkg-config --variable=libdir Korvelv0) ./example \
    "$(dirname "$source")/../assets/grid.tga" picture.png > /dev/null && test -s picture.png)
echo "built $source against $(pkg-config --modversion Korvelv0) in $prefix"
