#!/usr/bin/env bash
# Draws the README's pictures from a built tree: docs/swatches.png (a swatch of
# each material of the shared example documents) and docs/screenshot.png (the
# window with those materials in the editor's slots and the MaterialX panel open).
#
# Usage: bash tools/docs-pictures.sh [BUILD_DIR] [EXAMPLES_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/default}"
examples="${2:-$here/../shared/materialx/examples}"
norvane="$build/root/bin/norvane"
sheet="$build/tools/rozo_swatch_sheet"
export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

documents=("$examples"/standard_surface_*.mtlx)

# One folder per document: documents that share a material name keep both.
for doc in "${documents[@]}"; do
  "$norvane" import --swatches "$work/swatches/$(basename "$doc" .mtlx)" "$doc" >/dev/null
done
# A material that several documents hold is shown once.
mapfile -t pictures < <(find "$work/swatches" -name '*.png' -printf '%f\t%p\n' | sort -u -k1,1 | cut -f2)
"$sheet" "$here/docs/swatches.png" 6 "${pictures[@]}"

# The scene: every example's materials in the editor's slots, in document order.
{
  echo 'var slot = 0, names = {};'
  for doc in "${documents[@]}"; do
    quoted="${doc//\\/\\\\}"
    printf 'MaterialX.ImportMtlX("%s").forEach(function (m) {\n' "${quoted//\"/\\\"}"
    echo '  if (slot < 24 && !names[m.name]) { names[m.name] = true; Norvane.setEditorSlot(slot++, m); Norvane.createNode(m.name, m); }'
    echo '});'
  done
  # The inspector shows the selected node's material.
  echo 'Norvane.select(Norvane.findNode("Gold"));'
  printf 'Norvane.saveScene(%s);\n' "\"$work/examples.nvs\""
} >"$work/scene.js"
"$norvane" script "$work/scene.js" >/dev/null
"$norvane" --gui "$work/examples.nvs" --screenshot "$here/docs/screenshot.png"
