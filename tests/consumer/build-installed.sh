#!/usr/bin/env bash
# build BUILD_DIR OUT: stage `cmake --install` over a configuration file that must survive,
# build the consumer through find_package and pkg-config. run OUT: both on $IAS_TEST_READER.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${3:-$2} root=${3:-$2}/stage/opt/ias
if [ "$1" = run ]; then
    LD_LIBRARY_PATH=$(cat "$out/libdir") && export LD_LIBRARY_PATH
    "$out/cmake/consumer" "$IAS_TEST_READER"
    exec "$out/consumer-pc" "$IAS_TEST_READER"
fi
rm -rf "$out" && mkdir -p "$out/stage/etc/Quovanta" && echo '# kept' >"$out/stage/etc/Quovanta/atr.cnf"
DESTDIR=$out/stage cmake --install "$2" --prefix /opt/ias >"$out/install.log"
grep -qx '# kept' "$out/stage/etc/Quovanta/atr.cnf" && [ -f "$out/stage/etc/Quovanta/ZAZ/conf" ] &&
    [ -x "$root/bin/ias-vcard" ] && [ -f "$root/share/ias/cards/sample-iasecc.json" ] ||
    { echo "configuration, tools or cards not installed as expected"; exit 1; }
libdir=$(dirname "$(find "$root" -name libias.so.0)") && echo "$libdir" >"$out/libdir"
cmake -S "$here" -B "$out/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root" -DCMAKE_CXX_COMPILER="$CXX" \
    -DCMAKE_CXX_FLAGS="${IAS_CONSUMER_FLAGS:-}" -DCMAKE_EXE_LINKER_FLAGS="${IAS_CONSUMER_FLAGS:-}" >/dev/null
cmake --build "$out/cmake"
# shellcheck disable=SC2046,SC2086
"$CXX" -std=c++11 ${IAS_CONSUMER_FLAGS:-} "$here/consumer.cpp" -o "$out/consumer-pc" \
    $(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs ias)
LD_LIBRARY_PATH=$libdir "$out/consumer-pc"
