#!/bin/sh
# Memory, time and scene-file figures of generated textured documents:
#   bench/scale_figures.sh [BUILD_DIR] [N...]   (default build/default, 100 1000 4000)
# Prints peak memory and time of import, round trip and import --save, the
# scene file's size, and save/load times of the scene from a script.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/default}
[ $# -gt 0 ] && shift
norvane="$build/root/bin/norvane"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '<?xml version="1.0"?>\n<materialx version="1.38">\n</materialx>\n' > "$work/empty.mtlx"
measure() { /usr/bin/time -f "%e s %M KB" "$@" > /dev/null 2> "$work/time" || true; tail -n 1 "$work/time"; }
echo "empty host import: $(measure "$norvane" import "$work/empty.mtlx")"
for n in ${@:-100 1000 4000}; do
    doc="$work/t$n.mtlx"
    python3 "$here/textured_document.py" "$n" "$doc"
    echo "N=$n import:    $(measure "$norvane" import "$doc")"
    echo "N=$n roundtrip: $(measure "$norvane" roundtrip "$doc" "$work/out$n.mtlx")"
    echo "N=$n save:      $(measure "$norvane" import --save "$work/s$n.nvs" "$doc"), $(wc -c < "$work/s$n.nvs") bytes"
    "$norvane" script -e "var t = Date.now(); Norvane.loadScene('$work/s$n.nvs'); var l = Date.now() - t;
        t = Date.now(); Norvane.saveScene('$work/again$n.nvs');
        print('N=$n scene load ' + l + ' ms, save ' + (Date.now() - t) + ' ms')"
done
