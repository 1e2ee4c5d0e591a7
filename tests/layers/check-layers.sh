#!/bin/sh
# Fails on any include in the library sources that points up or sideways
# between layers, on a public <ias/...> header included below Api (the
# shared owner <ias/Owned.h> excepted), and on a header whose guard is not its
# include path (Card/CCard.h -> CARD_CCARD_H), so that no two headers can share
# one. Layers, lowest first:
#   Zaz < Asn1 < Fci < Card < Cia < Recognition < Api/Facade < Api/Entry
# Usage: check-layers.sh SRC_DIR
src=${1:?usage: check-layers.sh SRC_DIR}
cd "$src" || exit 2

rank() {
    case $1 in
    Zaz/*) echo 0 ;;
    Asn1/*) echo 1 ;;
    Fci/*) echo 2 ;;
    Card/*) echo 3 ;;
    Cia/*) echo 4 ;;
    Recognition/*) echo 5 ;;
    Api/Facade/*) echo 6 ;;
    Api/Entry/*) echo 7 ;;
    *) echo x ;;
    esac
}

bad=0
for file in $(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort); do
    own=$(rank "$file")
    if [ "$own" = x ]; then
        echo "$file: not in a layer folder"
        bad=1
        continue
    fi
    case $file in
    *.h)
        guard=$(printf '%s' "$file" | tr 'a-z' 'A-Z' | tr -c 'A-Z0-9' '_')
        if [ "$(sed -n '/^#ifndef/{p;n;p;q;}' "$file")" != "#ifndef $guard
#define $guard" ]; then
            echo "$file: the include guard is not $guard"
            bad=1
        fi
        ;;
    esac
    # Quoted includes are the project's own headers, named from SRC.
    for target in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
        to=$(rank "$target")
        if [ "$to" = x ] || [ "$to" -gt "$own" ]; then
            echo "$file: includes \"$target\" (a layer above or outside)"
            bad=1
        fi
    done
    if [ "$own" -lt 6 ]; then
        for target in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\(ias\/[^>]*\)>.*/\1/p' "$file"); do
            if [ "$target" != ias/Owned.h ]; then
                echo "$file: includes <$target> (public headers belong to Api)"
                bad=1
            fi
        done
    fi
done
exit $bad
