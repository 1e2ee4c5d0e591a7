#!/usr/bin/env bash
# check-exports.sh LIB [ALLOWLIST]
# The shared object exports the ias:: API and nothing else: no internal
# namespaces, no standard-library instantiations. With ALLOWLIST (demangled,
# sorted; scripts/update-exports writes it) the exports must be exactly that
# list: nothing new leaks out and nothing public disappears unnoticed.
set -euo pipefail
lib=$1
symbols=$(nm -D --defined-only "$lib" | c++filt | cut -d' ' -f3- | LC_ALL=C sort -u)
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
if [ $# -ge 2 ] && ! diff -u "$2" <(printf '%s\n' "$symbols"); then
    echo "exports differ from $2 (- missing, + new); if intended, run scripts/update-exports"
    exit 1
fi
echo "$(printf '%s\n' "$symbols" | wc -l) exported symbols, all in ias::"
