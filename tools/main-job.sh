#!/usr/bin/env bash
# The main job: set-up, build, then run the example documents through the stack.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset default
cmake --build --preset default
root="$(pwd)/build/default/root"
shared="$(cd ../shared && pwd)"
if [ -x "$root/bin/norvane" ] && "$root/bin/norvane" roundtrip --help >/dev/null 2>&1; then
  out="$(pwd)/build/default/roundtrip"
  mkdir -p "$out"
  "$root/bin/norvane" roundtrip --batch "$shared/materialx/examples" "$out"
else
  # Until the host can run the round trip: the document steps over every example.
  cd "$shared/materialx/examples"
  "$OLDPWD/build/default/tests/materialx/materialx_oracle" "$shared/materialx" dump *.mtlx
fi
