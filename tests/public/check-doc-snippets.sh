#!/usr/bin/env bash
# check-doc-snippets.sh INCLUDE_DIR FILE.md...
# Every ```cpp block of the documents must compile as C++11 against the
# public headers, so the examples readers copy never drift from the API.
# A block is a function body that may use `card` (a connected ias::CIASCard)
# and `ctx` (a library context), or declare its own.
set -euo pipefail
include_dir=$1
shift
status=0
for doc in "$@"; do
    source=$(awk '
        BEGIN { print "#include <ias/ias.h>\n#include <cstdio>\n#include <string>\n#include <vector>" }
        /^```cpp$/ { n++; printf "#line %d \"%s\"\nvoid snippet%d(ias::CIASCard& card, void* ctx) {\n(void)card; (void)ctx; {\n", NR - 1, FILENAME, n; inside = 1; next }
        /^```$/ && inside { print "}}"; inside = 0; next }
        inside { print }
        END { if (n == 0) exit 1 }' "$doc") || { echo "no cpp block in $doc"; status=1; continue; }
    if ! printf '%s\n' "$source" |
        "${CXX:-c++}" -std=c++11 -Wall -Wextra -Werror -fsyntax-only -x c++ -I "$include_dir" -; then
        echo "FAILED: the examples of $doc"
        status=1
    fi
done
exit $status
