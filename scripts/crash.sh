#!/usr/bin/env bash
# Crash harness: kills the tool with SIGKILL at random moments (most of them
# while it saves) and checks the store after each kill.
#   scripts/crash.sh            200 kills of build/RegillaMobile
#   scripts/crash.sh 50         50 kills
#   scripts/crash.sh 200 --self the store's save cycle in a stand-in process
# More options: build/tests/robustness/robustness_crash_harness --help
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-200}"
shift || true
scripts/build.sh default >/dev/null
if [ "${1:-}" = "--self" ]; then
  exec build/tests/robustness/robustness_crash_harness --self --kills "$kills" "${@:2}"
fi
exec build/tests/robustness/robustness_crash_harness --program build/RegillaMobile --kills "$kills" "$@"
