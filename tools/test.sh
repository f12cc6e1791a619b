#!/usr/bin/env bash
# Set-up, build and every test, from a fresh machine: bash tools/test.sh
# The fuzz targets then run for a minute each in the sanitizer build.
# Under CI (CI=true) a compiler warning in the project's code fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
configure=(--preset default)
if [ "${CI:-}" = true ]; then configure+=(-DROZO_WARNINGS_AS_ERRORS=ON); fi
cmake "${configure[@]}"
cmake --build --preset default
export QT_QPA_PLATFORM=offscreen
ctest --preset default
bash tools/fuzz.sh
