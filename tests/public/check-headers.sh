#!/usr/bin/env bash
# Every public header must compile on its own as C++11: applications of this
# library are often older code bases.
set -euo pipefail
include_dir=$1
cxx=${CXX:-c++}
status=0
for header in "$include_dir"/ias/*.h; do
    name=ias/$(basename "$header")
    if ! printf '#include <%s>\n' "$name" |
        "$cxx" -std=c++11 -Wall -Wextra -pedantic -Werror -fsyntax-only -x c++ -I "$include_dir" -; then
        echo "FAILED: $name"
        status=1
    fi
done
exit $status
