#!/usr/bin/env bash
# Builds the libFuzzer targets in the sanitizer build and runs each for
# ${FUZZ_SECONDS:-60} s on the committed corpus; a crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan -DROZO_BUILD_FUZZERS=ON
cmake --build --preset asan --target reader_fuzzer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in reader; do
  mkdir -p "$work/$target"
  nice -n 19 "build/asan/tests/fuzz/${target}_fuzzer" -dict=tests/fuzz/materialx.dict \
    -max_total_time="${FUZZ_SECONDS:-60}" -artifact_prefix="$work/" -print_final_stats=1 \
    "$work/$target" "tests/fuzz/corpus/$target"
done
