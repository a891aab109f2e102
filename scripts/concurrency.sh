#!/usr/bin/env bash
# Concurrency: two copies of the tool apply different pages of one store
# 100 times each at the same time, and another program edits the store
# between a tool's start and its Apply; no update may be lost. Then the same
# at the registry level (two processes saving 100 times each).
#   scripts/concurrency.sh [APPLIES]
set -euo pipefail
cd "$(dirname "$0")/.."
applies="${1:-100}"
scripts/build.sh default >/dev/null
status=0
build/tests/robustness/robustness_concurrency_harness --program build/RegillaMobile --applies "$applies" ||
  status=$?
build/tests/robustness/robustness_tests --gtest_filter='Concurrency.*' | grep -E '^\[ +(OK|FAILED) +\]' ||
  status=1
exit "$status"
