#!/usr/bin/env bash
# The run command: installs what is missing, builds, starts the program with
# the given options.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh default >&2
exec build/RegillaMobile "$@"
