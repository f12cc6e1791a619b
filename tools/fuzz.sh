#!/usr/bin/env bash
# Builds the libFuzzer targets in the sanitizer build and runs each for
# ${FUZZ_SECONDS:-60} s on the committed corpus; a crash fails the run, and
# its input is kept in build/asan/tests/fuzz/artifacts/.
#   FUZZ_TARGETS="reader xinclude" bash tools/fuzz.sh    only some targets
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(${FUZZ_TARGETS:-reader xinclude import scene_file})
cmake --preset asan >/dev/null
cmake --build --preset asan --target "${targets[@]/%/_fuzzer}"

# The dictionary and seed folders of each target; the import reads single
# documents and file sets alike.
declare -A dictionary=([reader]=materialx [xinclude]=materialx [import]=materialx [scene_file]=scene)
declare -A seeds=([reader]="reader" [xinclude]="xinclude" [import]="import reader xinclude" [scene_file]="scene_file")
# Leaks inside libraries we do not build, each explained in the file.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/fuzz/leaks.supp:print_suppressions=0"
# Options of single targets. Scene files with a repeated key make Qt's JSON
# parser leak (see leaks.supp): libFuzzer would run each such input twice and
# scan the whole heap after it, five times the cost of the inputs themselves.
# The target is checked for leaks once, at its exit, under the same
# suppressions: a leak of ours still fails the run.
declare -A options=([scene_file]="-detect_leaks=0")

artifacts=build/asan/tests/fuzz/artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  folders=()
  for seed in ${seeds[$target]}; do
    [ -d "tests/fuzz/corpus/$seed" ] && folders+=("tests/fuzz/corpus/$seed")
  done
  mkdir -p "$work/$target"
  echo "== ${target}_fuzzer, ${FUZZ_SECONDS:-60} s"
  nice -n 19 "build/asan/tests/fuzz/${target}_fuzzer" -dict="tests/fuzz/${dictionary[$target]}.dict" \
    -max_total_time="${FUZZ_SECONDS:-60}" -timeout=20 -artifact_prefix="$artifacts/${target}-" -print_final_stats=1 \
    ${options[$target]:-} "$work/$target" "${folders[@]}"
done
