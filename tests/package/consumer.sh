#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, then builds the host of
# examples/host against it twice, once through find_package(Tessel) and
# once through pkg-config, and runs both: each must log the host's TSBK and
# the document it reads.  HOST_FLAGS are given to the host's compiler and
# linker (a sanitized library needs a sanitized host).
# Usage: consumer.sh BUILD_DIR SOURCE_DIR [HOST_FLAGS]
set -euo pipefail
build=$1
source=$2
host_flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in lib/libTessel.so.0 lib/libXML_routines.so.0 lib/libTessel.so lib/libXML_routines.so bin/tessel \
         lib/cmake/Tessel/TesselConfig.cmake lib/cmake/Tessel/TesselConfigVersion.cmake \
         lib/pkgconfig/tessel.pc include/tessel/P25_processing.h include/tessel/shared/XML/XML_routines.h; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
for lib in Tessel XML_routines; do
  soname=$(readelf -d "$prefix/lib/lib$lib.so.0" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
  [ "$soname" = "lib$lib.so.0" ] || { echo "lib$lib: SONAME \"$soname\"" >&2; exit 1; }
done

check() {  # the host's log: the grant it logged and the filter it read
  local log=$1
  grep -q '<GRP_V_CH_GRANT>' "$log" && grep -q '<LogFilter phys_channel="1">' "$log" ||
    { echo "unexpected log:" >&2; cat "$log" >&2; exit 1; }
}

# find_package(Tessel)
cmake -S "$source/examples/host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$host_flags" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
LD_LIBRARY_PATH="$prefix/lib" "$work/cmake-host/host" "$source/examples/demo.xml" >"$work/cmake.log"
check "$work/cmake.log"

# pkg-config
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
[ "$(pkg-config --modversion tessel)" = 0.1 ]
# shellcheck disable=SC2046,SC2086
c++ -std=c++17 $host_flags -o "$work/pc-host" "$source/examples/host/host.cpp" $(pkg-config --cflags --libs tessel)
LD_LIBRARY_PATH="$prefix/lib" "$work/pc-host" "$source/examples/demo.xml" >"$work/pc.log"
check "$work/pc.log"

# The installed program finds its libraries by itself.
"$prefix/bin/tessel" replay "$source/examples/demo.xml" >/dev/null
echo "consumer: 2 passed, 0 failed"
