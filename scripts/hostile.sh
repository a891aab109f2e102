#!/usr/bin/env bash
# Hostile store files at full size: a 200 MB store, a 10 MB line, a key
# 10 000 levels deep, broken UTF-16, a symlinked store, a read-only folder and
# a full disk (a 64 kB tmpfs when run as root). Prints time and peak memory of
# each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default >/dev/null
REGILLA_ROBUSTNESS_FULL=1 build/tests/robustness/robustness_tests --gtest_filter='HostileStore.*' |
  grep -E '^\[(figures|  PASSED|  FAILED| +OK|  SKIPPED)'
