#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh default
ctest --preset default --output-on-failure -j2
