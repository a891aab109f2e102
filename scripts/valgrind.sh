#!/usr/bin/env bash
# Runs the end-to-end tests with every program they start under valgrind
# (memcheck, leaks included); any error makes the program exit with 99, so
# the test that ran it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default >/dev/null
command -v valgrind >/dev/null || { echo "valgrind.sh: valgrind is needed" >&2; exit 1; }
log="build/valgrind"
rm -rf "$log" && mkdir -p "$log"
valgrind --trace-children=yes --error-exitcode=99 --suppressions=tests/valgrind.supp --leak-check=full --errors-for-leak-kinds=definite \
  --log-file="$log/%p.log" -q build/tests/e2e/e2e_tests "$@"
echo "valgrind.sh: clean (logs in $log)"
