#!/usr/bin/env bash
# Prints how much of the C++ is test code (non-blank lines of tests/ against engine/, app/, ui/ and
# program/) and fails when it is over a third.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | grep -cv '^\s*$'; }
tests=$(count tests)
product=$(count engine app ui program)
share=$(( 1000 * tests / (tests + product) ))
printf 'tests %d, product %d: tests are %d.%d%% of the C++ lines (at most 33%%)\n' \
  "$tests" "$product" $((share / 10)) $((share % 10))
[ "$share" -le 330 ]
