#!/usr/bin/env bash
# Benchmarks: start-up (headless and painted offscreen, median of 20), the
# Apply cycle's overhead above 6 x 200 ms on the sample store and a 5 MB
# store, and the store's load, open+query+close, save and memory figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default >/dev/null
build/bench/startup/startup_bench --runs "${RUNS:-20}"
build/bench/apply/apply_bench --applies "${APPLIES:-5}"
