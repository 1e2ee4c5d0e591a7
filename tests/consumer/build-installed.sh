#!/usr/bin/env bash
# build-installed.sh build BUILD_DIR OUT | run OUT [READER]
# build: stages `cmake --install BUILD_DIR` under OUT/stage (DESTDIR, prefix
# /opt/ias) over a configuration file that must survive, then builds this
# consumer once through find_package and once through pkg-config.
# run: runs both consumers against the card in READER ($IAS_TEST_READER).
# CXX and IAS_CONSUMER_FLAGS (e.g. sanitizer flags) choose the compiler.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=$1
if [ "$mode" = run ]; then
    out=$2
    export LD_LIBRARY_PATH=$(cat "$out/libdir")
    reader=${3:-$IAS_TEST_READER}
    "$out/cmake/consumer" "$reader"
    "$out/consumer-pc" "$reader"
    exit 0
fi
build=$2 out=$3
flags=${IAS_CONSUMER_FLAGS:-}
root=$out/stage/opt/ias
rm -rf "$out" && mkdir -p "$out/stage/etc/Quovanta"
echo '# kept' >"$out/stage/etc/Quovanta/atr.cnf"
DESTDIR=$out/stage cmake --install "$build" --prefix /opt/ias >"$out/install.log"
grep -qx '# kept' "$out/stage/etc/Quovanta/atr.cnf" || { echo "existing configuration overwritten"; exit 1; }
[ -f "$out/stage/etc/Quovanta/ZAZ/conf" ] || { echo "default configuration not installed"; exit 1; }
[ -x "$root/bin/ias-vcard" ] && [ -f "$root/share/ias/cards/sample-iasecc.json" ] ||
    { echo "tools or sample cards not installed"; exit 1; }

libdir=$(dirname "$(find "$root" -name 'libias.so.0' | head -1)")
echo "$libdir" >"$out/libdir"
export LD_LIBRARY_PATH=$libdir

cmake -S "$here" -B "$out/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root" \
    -DCMAKE_CXX_COMPILER="${CXX:-c++}" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$out/cmake"
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046,SC2086
"${CXX:-c++}" -std=c++11 $flags "$here/consumer.cpp" -o "$out/consumer-pc" $(pkg-config --cflags --libs ias)
"$out/cmake/consumer"
"$out/consumer-pc"
