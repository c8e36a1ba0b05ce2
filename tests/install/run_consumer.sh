#!/bin/sh
# Installs the build into a scratch prefix and rates one shipment with that
# copy four ways: a C host of the record interface found through the CMake
# package, the same host built with pkg-config's flags, the README's host
# of brant.h built with pkg-config's flags, and the installed brant.
# Arguments: CMAKE BUILD_DIR CONSUMER_DIR TARIFF_WRITER CC "CFLAGS" README
set -eu
cmake=$1 build=$2 consumer=$3 writer=$4 cc=$5 flags=$6 readme=$7
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
expected="G001100 1125.00"

check() {  # what the host printed, and how it was built
  [ "$1" = "$expected" ] || { echo "$2 host printed '$1', expected '$expected'" >&2; exit 1; }
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
mkdir "$scratch/tariff"
"$writer" "$scratch/tariff"

"$cmake" -S "$consumer" -B "$scratch/build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_C_FLAGS="$flags" >/dev/null
"$cmake" --build "$scratch/build" >/dev/null
check "$("$scratch/build/consumer" "$scratch/tariff/")" "CMake package"

pcdir=$(dirname "$(find "$prefix" -name brantfunc.pc)")
libdir=$(dirname "$pcdir")
# shellcheck disable=SC2046
"$cc" $flags "$consumer/consumer.c" -o "$scratch/pc_consumer" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --define-prefix --cflags --libs brantfunc)
check "$(LD_LIBRARY_PATH="$libdir" "$scratch/pc_consumer" "$scratch/tariff/")" "pkg-config"

# The README's example, as a reader copies it: the block after its marker.
awk '/<!-- host example/ { marked = 1; next }
     marked && /^```c/ { inside = 1; next }
     inside && /^```/ { exit }
     inside' "$readme" > "$scratch/host.c"
[ -s "$scratch/host.c" ] || { echo "no host example in $readme" >&2; exit 1; }
# shellcheck disable=SC2046
"$cc" $flags -std=c99 -Wall -Wextra -Werror "$scratch/host.c" -o "$scratch/host" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --define-prefix --cflags --libs brantfunc)
bill=$(LD_LIBRARY_PATH="$libdir" "$scratch/host" "$scratch/tariff" SMALL 10001 90001 100 1500)
echo "$bill" | grep -q "^line haul  *1125.00$" \
  && echo "$bill" | grep -q "^amount due  *1125.00$" \
  || { echo "README host printed '$bill'" >&2; exit 1; }

"$prefix/bin/brant" rate --tariff "$scratch/tariff/SMALL" 10001 90001 100:1500 \
  | grep -q "Net charge  *1125.00" || { echo "installed brant did not rate" >&2; exit 1; }
