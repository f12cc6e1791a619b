#!/usr/bin/env bash
# Set-up, build and every test, from a fresh machine: bash tools/test.sh
# The fuzz targets then run for a minute each in the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset default
cmake --build --preset default
export QT_QPA_PLATFORM=offscreen
ctest --preset default
bash tools/fuzz.sh
