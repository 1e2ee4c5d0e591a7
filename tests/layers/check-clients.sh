#!/bin/sh
# Fails when a client of the library (the token layer, the tools, the PKCS#11
# module, the examples) includes one of the library's internal headers:
# clients see <ias/...> and their own headers only. (The decoder benchmark measures the
# internal decoders on purpose and is not a client.)
# Usage: check-clients.sh SOURCE_DIR
root=${1:?usage: check-clients.sh SOURCE_DIR}
cd "$root" || exit 2
bad=0
for file in $(find token tools pkcs11 examples -name '*.h' -o -name '*.cpp' | sort); do
    for target in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\([^">]*\)[">].*/\1/p' "$file"); do
        case $target in
        Zaz/* | Asn1/* | Fci/* | Card/* | Cia/* | Recognition/* | Api/*)
            echo "$file: includes \"$target\", an internal header of the library"
            bad=1
            ;;
        esac
    done
done
exit $bad
