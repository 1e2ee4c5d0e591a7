#!/usr/bin/env bash
# INCLUDE_DIR FILE.md...: each ```cpp block compiles as C++11 against the public
# headers, as a function body that may use `card` (a connected ias::CIASCard) and `ctx`.
set -euo pipefail
include_dir=$1 status=0
for doc in "${@:2}"; do
    awk 'BEGIN { print "#include <ias/ias.h>\n#include <cstdio>\n#include <string>\n#include <vector>" }
        /^```cpp$/ { printf "#line %d \"%s\"\nvoid f%d(ias::CIASCard& card, void* ctx) {\n(void)card; (void)ctx; {\n", NR - 1, FILENAME, NR; n++; on = 1; next }
        /^```$/ && on { print "}}"; on = 0; next }
        on { print }
        END { if (n == 0) { print "#error no cpp block" } }' "$doc" |
        "${CXX:-c++}" -std=c++11 -Wall -Wextra -Werror -fsyntax-only -x c++ -I "$include_dir" - ||
        { echo "FAILED: the examples of $doc"; status=1; }
done
exit $status
