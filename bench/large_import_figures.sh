#!/bin/sh
# Peak memory and time of importing a large generated document (plain
# materials, as a studio's library file):
#   bench/large_import_figures.sh [BUILD_DIR] [MEGABYTES]   (default build/default, 50)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/default}
megabytes=${2:-50}
norvane="$build/root/bin/norvane"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
doc="$work/large.mtlx"
python3 -c "import sys; sys.path.insert(0, '$here/../tools/hostile'); import generate
open('$doc', 'w').write(generate.large($megabytes))"
echo "document: $(wc -c < "$doc") bytes, $(grep -c '<surfacematerial' "$doc") materials"
/usr/bin/time -f "import: %e s, %M KB peak" "$norvane" import "$doc" > "$work/report" 2> "$work/time" || true
tail -n 1 "$work/time"
