#!/usr/bin/env bash
# Builds the libFuzzer targets in the sanitizer build and runs each for
# ${FUZZ_SECONDS:-60} s on the committed corpus; a crash fails the run, and
# its input is kept in build/asan/tests/fuzz/artifacts/.
#   FUZZ_TARGETS="reader xinclude" bash tools/fuzz.sh    only some targets
# Long runs: FUZZ_RUNS=N runs each target in ${FUZZ_JOBS:-one per core}
# processes, each with its own seed, until their executions add up to N. They
# share one corpus folder, build/asan/tests/fuzz/corpus-TARGET, which is kept,
# so that the next long run goes on from what this one found. Every input kept
# there is then run once more with a leak check after each.
#   FUZZ_RUNS=5000000 FUZZ_TARGETS=import bash tools/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(${FUZZ_TARGETS:-reader xinclude import scene_file})
cmake --preset asan >/dev/null
cmake --build --preset asan --target "${targets[@]/%/_fuzzer}"

# The dictionary and seed folders of each target; the import reads single
# documents and file sets alike.
declare -A dictionary=([reader]=materialx [xinclude]=materialx [import]=materialx [scene_file]=scene)
declare -A seeds=([reader]="reader shared-1.39" [xinclude]="xinclude" [import]="import reader xinclude shared-1.39"
  [scene_file]="scene_file")
# Seed folders that are not committed: MaterialX 1.39.5's examples, read where
# the shared data lies (1.38 seeds go through the upgrade, these do not).
declare -A seed_folders=([shared-1.39]="../shared/materialx/v1.39/examples")
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

# fuzz TARGET OUTPUT-FOLDER FLAG... runs one process on the seeds of TARGET;
# new inputs go to OUTPUT-FOLDER.
fuzz() {
  local target=$1 output=$2
  shift 2
  local folders=()
  for seed in ${seeds[$target]}; do
    local folder="${seed_folders[$seed]:-tests/fuzz/corpus/$seed}"
    [ -d "$folder" ] && folders+=("$folder")
  done
  mkdir -p "$output"
  nice -n 19 "build/asan/tests/fuzz/${target}_fuzzer" -dict="tests/fuzz/${dictionary[$target]}.dict" \
    -timeout=20 -artifact_prefix="$artifacts/${target}-" -print_final_stats=1 \
    ${options[$target]:-} "$@" "$output" "${folders[@]}"
}

# A long run of TARGET, as described at the top. Its processes trade what
# reports keep for speed: no allocation stacks, a smaller quarantine for
# use-after-free, and no rereading of the folder the others write to. The
# leak pass afterwards runs with the usual options.
campaign() {
  local target=$1 jobs=${FUZZ_JOBS:-$(nproc)}
  local corpus=build/asan/tests/fuzz/corpus-$target logs=build/asan/tests/fuzz/logs-$target
  mkdir -p "$logs"
  rm -f "$logs"/*.log
  echo "== ${target}_fuzzer, $FUZZ_RUNS executions in $jobs processes; logs in $logs"
  local pids=() job
  for ((job = 0; job < jobs; job++)); do
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}malloc_context_size=0:quarantine_size_mb=16" \
      fuzz "$target" "$corpus" -runs=$((FUZZ_RUNS / jobs + (job < FUZZ_RUNS % jobs))) -reload=0 \
      -detect_leaks=0 -rss_limit_mb=8192 >"$logs/$job.log" 2>&1 &
    pids+=($!)
  done
  local failed=0 pid
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  grep -h 'DONE   cov\|^INFO: Seed' "$logs"/*.log || true
  awk '/stat::number_of_executed_units/ { runs += $2 } /stat::average_exec_per_sec/ { rate = rate " " $2 }
       END { printf "== %s: %d executions, exec/s per process:%s\n", target, runs, rate }' target="$target" "$logs"/*.log
  if [ "$failed" != 0 ]; then
    grep -h -A30 '^==[0-9]*==ERROR\|^SUMMARY\|^ALARM\|out-of-memory\|deadly signal' "$logs"/*.log | head -80
    echo "== ${target}_fuzzer failed: the input is in $artifacts, the logs in $logs"
    return 1
  fi
  echo "== ${target}_fuzzer, every kept input once, with leak checks"
  fuzz "$target" "$corpus" -runs=0 -detect_leaks=1
}

if [ -n "${FUZZ_RUNS:-}" ]; then
  for target in "${targets[@]}"; do campaign "$target"; done
  exit
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  echo "== ${target}_fuzzer, ${FUZZ_SECONDS:-60} s"
  fuzz "$target" "$work/$target" -max_total_time="${FUZZ_SECONDS:-60}"
done
