#!/usr/bin/env bash
# The shared object exports the ias:: API and nothing else: no internal
# namespaces, no standard-library instantiations.
set -euo pipefail
lib=$1
symbols=$(nm -D --defined-only "$lib" | c++filt | cut -d' ' -f3-)
[ -n "$symbols" ] || { echo "no exported symbols in $lib"; exit 1; }
leaked=$(printf '%s\n' "$symbols" |
    grep -vE '^(ias::|typeinfo for ias::|typeinfo name for ias::|vtable for ias::)' || true)
if [ -n "$leaked" ]; then
    echo "symbols outside the ias:: API:"
    printf '%s\n' "$leaked"
    exit 1
fi
for internal in 'ZAZ::' 'IAS::' 'IASSCU::'; do
    if printf '%s\n' "$symbols" | grep -E "^(typeinfo for |vtable for )?$internal" >/dev/null; then
        echo "internal class exported: $internal"
        exit 1
    fi
done
echo "$(printf '%s\n' "$symbols" | wc -l) exported symbols, all in ias::"
