#!/usr/bin/env bash
# Fuzzes the .reg reader and writer with libFuzzer (clang, ASan + UBSan).
#   scripts/fuzz.sh            short run: 60 s
#   scripts/fuzz.sh 3600       long run: one hour (any number of seconds)
#   FUZZ_JOBS=2 scripts/fuzz.sh 28800   long run on two cores
# New inputs go to build-fuzz/corpus (the committed seeds in fuzz/corpus are
# read, never changed); a crashing input is saved as build-fuzz/crash-* and
# the script fails. Replay one with build-fuzz/fuzz/regfile_fuzz FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
jobs="${FUZZ_JOBS:-1}"
build=build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is needed (Debian packages clang and libclang-rt-14-dev)" >&2
  exit 1
fi

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DREGILLA_FUZZ=ON -DREGILLA_WITH_QT=OFF -DREGILLA_WERROR=OFF >/dev/null
cmake --build "$build" --target regfile_fuzz -j2 >/dev/null

mkdir -p "$build/corpus"
root="$PWD"
parallel=()
# Several jobs run as child processes that log to build-fuzz/fuzz-N.log.
if [ "$jobs" -gt 1 ]; then parallel=(-jobs="$jobs" -workers="$jobs"); fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
echo "fuzz.sh: fuzzing the .reg reader for ${seconds}s on ${jobs} job(s)" >&2
set +e
(cd "$build" && ./fuzz/regfile_fuzz corpus "$root/fuzz/corpus" \
  -dict="$root/fuzz/regfile.dict" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$root/$build/" "${parallel[@]}") \
  >"$build/fuzz.log" 2>&1
status=$?
set -e
grep -E "DONE|stat::|ERROR|SUMMARY|regfile_fuzz:|Test unit written" "$build/fuzz.log" >&2 || true
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: FAILED (exit $status); see $build/fuzz.log and $build/crash-*" >&2
  exit "$status"
fi
echo "fuzz.sh: no crash, hang or leak in ${seconds}s" >&2
