#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs the whole suite,
# builds the Release configuration (-O3 finds warnings -O2 does not), runs the
# suite again built with AddressSanitizer + UndefinedBehaviorSanitizer, fuzzes
# the .reg reader for a minute, and builds and checks the Debian package.
# Every preset treats warnings as errors.
#   REGILLA_QUICK=1 scripts/test.sh   only the plain build and suite
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh default
ctest --preset default --output-on-failure -j2
if [ -n "${REGILLA_QUICK:-}" ]; then exit 0; fi

echo "== the Release build" >&2
scripts/build.sh release

echo "== the suite under AddressSanitizer + UndefinedBehaviorSanitizer" >&2
scripts/build.sh asan
ctest --preset asan --output-on-failure -j2

echo "== fuzzing the .reg reader (60 s)" >&2
scripts/fuzz.sh 60

echo "== the Debian package, checked with lintian" >&2
scripts/package.sh >/dev/null
