#!/usr/bin/env bash
# The main job: set-up, build everything, then the round trip (import, export,
# read back) of every shared example document through norvane and the plug-in,
# ending with the summary table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset default
cmake --build --preset default
root="$(pwd)/build/default/root"
shared="$(cd ../shared && pwd)"
out="$(pwd)/build/default/roundtrip"
mkdir -p "$out"
status=0
"$root/bin/norvane" roundtrip --batch "$shared/materialx/examples" "$out" || status=$?
# Status 1 means some documents logged messages: several examples are made to.
# Anything else (a usage error, a crash) fails the job.
if [ "$status" -gt 1 ]; then
  echo "main job: norvane roundtrip ended with status $status" >&2
  exit "$status"
fi
echo "main job: documents written to $out"
