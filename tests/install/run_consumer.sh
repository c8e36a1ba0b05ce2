#!/bin/sh
# Installs the build into a scratch prefix and rates one shipment with that
# copy five ways: a C host of the record interface found through the CMake
# package (linked with the shared and with the static library), the same
# host built with pkg-config's flags (the .pc file finds the prefix from
# where it lies), the README's host of brant.h built the same way, and the
# installed brant, which also finds the installed sample tariff and manual.
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
check "$("$scratch/build/consumer_static" "$scratch/tariff/")" "CMake package, static"

pcdir=$(dirname "$(find "$prefix" -name brantfunc.pc)")
libdir=$(dirname "$pcdir")
# shellcheck disable=SC2046
"$cc" $flags "$consumer/consumer.c" -o "$scratch/pc_consumer" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs brantfunc)
check "$(LD_LIBRARY_PATH="$libdir" "$scratch/pc_consumer" "$scratch/tariff/")" "pkg-config"

# The README's example, as a reader copies it: the block after its marker.
awk '/<!-- host example/ { marked = 1; next }
     marked && /^```c/ { inside = 1; next }
     inside && /^```/ { exit }
     inside' "$readme" > "$scratch/host.c"
[ -s "$scratch/host.c" ] || { echo "no host example in $readme" >&2; exit 1; }
# shellcheck disable=SC2046
"$cc" $flags -std=c99 -Wall -Wextra -Werror "$scratch/host.c" -o "$scratch/host" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs brantfunc)
bill=$(LD_LIBRARY_PATH="$libdir" "$scratch/host" "$scratch/tariff" SMALL 10001 90001 100 1500)
echo "$bill" | grep -q "^line haul  *1125.00$" \
  && echo "$bill" | grep -q "^amount due  *1125.00$" \
  || { echo "README host printed '$bill'" >&2; exit 1; }

"$prefix/bin/brant" rate --tariff "$scratch/tariff/SMALL" 10001 90001 100:1500 \
  | grep -q "Net charge  *1125.00" || { echo "installed brant did not rate" >&2; exit 1; }
BRANT_TARIFF="$scratch/tariff/SMALL" "$prefix/bin/brant" rate 10001 90001 100:1500 \
  | grep -q "Net charge  *1125.00" || { echo "brant did not rate BRANT_TARIFF" >&2; exit 1; }

# Without a tariff, the installed sample and its guide, found from the
# installed brant once the build is out of reach.
sample=$(cd "$prefix" && find . -name SAMPLE.SET)
[ -n "$sample" ] || { echo "the sample tariff is not installed" >&2; exit 1; }
moved=$scratch/moved
mv "$prefix" "$moved"
(cd / && "$moved/bin/brant" rate --transit 60601 30303 100:1200) > "$scratch/sample.txt" \
  || { echo "installed brant did not rate the sample" >&2; exit 1; }
grep -q "^Tariff  *$moved/.*/SAMPLE$" "$scratch/sample.txt" \
  && grep -q "^Transit days" "$scratch/sample.txt" \
  || { echo "installed brant rated: $(cat "$scratch/sample.txt")" >&2; exit 1; }
for page in brant brant-rate brant-batch brant-compile brant-dump; do
  grep -q '^\.SH OPTIONS' "$moved/share/man/man1/$page.1" \
    || { echo "manual page $page(1) is not installed" >&2; exit 1; }
done
