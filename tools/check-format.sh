#!/usr/bin/env bash
# Checks that C++ files are formatted as .clang-format says, and names those
# that are not (clang-format -i FILE fixes one).
#   bash tools/check-format.sh          every tracked file
#   bash tools/check-format.sh BASE     the files changed since commit BASE
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$1" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
bad=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "not formatted as .clang-format says (clang-format -i FILE):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "formatting: ${#files[@]} files as .clang-format says"
