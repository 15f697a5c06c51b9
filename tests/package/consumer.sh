#!/usr/bin/env bash
# Installs the build tree into a temporary prefix (through DESTDIR, as a
# package would), then builds the host of examples/host against it twice,
# once through find_package(Tessel) and once through pkg-config, and runs
# both without LD_LIBRARY_PATH: each must log the host's TSBK and the
# document it reads, and say nothing on standard error but its count.
# HOST_FLAGS are given to the host's compiler and linker (a sanitized
# library needs a sanitized host).
# Usage: consumer.sh BUILD_DIR SOURCE_DIR [HOST_FLAGS]
set -euo pipefail
build=$1
source=$2
host_flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

DESTDIR=$work/stage cmake --install "$build" --prefix /opt/tessel >/dev/null
mv "$work/stage/opt/tessel" "$prefix"

for f in lib/libTessel.so.0 lib/libXML_routines.so.0 lib/libTessel.so lib/libXML_routines.so bin/tessel \
         lib/cmake/Tessel/TesselConfig.cmake lib/cmake/Tessel/TesselConfigVersion.cmake \
         lib/pkgconfig/tessel.pc include/tessel/P25_processing.h include/tessel/shared/XML/XML_routines.h \
         share/man/man1/tessel.1 share/bash-completion/completions/tessel \
         share/doc/tessel/README.md share/doc/tessel/design.md share/doc/tessel/air.md; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
for lib in Tessel XML_routines; do
  soname=$(readelf -d "$prefix/lib/lib$lib.so.0" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
  [ "$soname" = "lib$lib.so.0" ] || { echo "lib$lib: SONAME \"$soname\"" >&2; exit 1; }
done

check() {  # the host's log: the grant it logged and the filter it read
  local log=$1 err=$2
  grep -q '<GRP_V_CH_GRANT>' "$log" && grep -q '<LogFilter phys_channel="1">' "$log" ||
    { echo "unexpected log:" >&2; cat "$log" >&2; exit 1; }
  grep -qxE 'host: [0-9]+ input records received' "$err" && [ "$(wc -l <"$err")" -eq 1 ] ||
    { echo "unexpected standard error:" >&2; cat "$err" >&2; exit 1; }
}

# find_package(Tessel)
cmake -S "$source/examples/host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$host_flags" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
"$work/cmake-host/host" "$source/examples/demo.xml" >"$work/cmake.log" 2>"$work/cmake.err"
check "$work/cmake.log" "$work/cmake.err"

# pkg-config
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
[ "$(pkg-config --modversion tessel)" = 0.1 ]
# shellcheck disable=SC2046,SC2086
c++ -std=c++17 $host_flags -o "$work/pc-host" "$source/examples/host/host.cpp" $(pkg-config --cflags --libs tessel)
"$work/pc-host" "$source/examples/demo.xml" >"$work/pc.log" 2>"$work/pc.err"
check "$work/pc.log" "$work/pc.err"

# The installed program finds its libraries by itself, and its manual page
# and completion come with it.
"$prefix/bin/tessel" replay "$source/examples/demo.xml" >/dev/null
"$prefix/bin/tessel" --version | grep -qx 'tessel [0-9][0-9.]*'
# The air commands' module, loaded when one of them runs.
"$prefix/bin/tessel" receive --help | grep -q '^Usage: tessel receive '
# The page stands alone: the record-script format, the exit statuses, and
# where the installed notes are.
manual=$(MANWIDTH=80 man -l "$prefix/share/man/man1/tessel.1" 2>/dev/null)
for part in 'tessel replay \[FILE\]' '^RECORD SCRIPTS' '^EXIT STATUS' 'sz_raw' 'share/doc/tessel'; do
  printf '%s\n' "$manual" | grep -q -- "$part" || { echo "the manual page does not show $part" >&2; exit 1; }
done
# shellcheck disable=SC1091
completions=$(PATH="$prefix/bin:$PATH" bash -c 'source "$1"; COMP_WORDS=(tessel rep); COMP_CWORD=1; _tessel
                echo "${COMPREPLY[*]}"; COMP_WORDS=(tessel replay --q); COMP_CWORD=2; _tessel; echo "${COMPREPLY[*]}"
                COMP_WORDS=(tessel receive --format c); COMP_CWORD=3; _tessel; echo "${COMPREPLY[*]}"' \
                _ "$prefix/share/bash-completion/completions/tessel")
[ "$completions" = "$(printf 'replay\n--quiet --quiet-relog\ncf32 cu8 cs16')" ] ||
  { echo "completion gave: $completions" >&2; exit 1; }
echo "consumer: 2 passed, 0 failed"
