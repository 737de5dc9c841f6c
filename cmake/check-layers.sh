#!/usr/bin/env bash
# Checks that every include of the program's own headers points down the
# layers, or sideways within one folder, so that no two folders include
# each other. From the bottom up:
layers=(base image platform platform/win32 capture settings ui)
# A file's layer is the longest of these that its path begins with; within a
# layer any file may include any other.
set -euo pipefail
cd "$(dirname "$0")/../src"

rank_of() {  # path relative to src/ -> rank, or nothing
  local path=$1 best=-1 best_len=0 i
  for i in "${!layers[@]}"; do
    local layer=${layers[$i]}
    if [[ $path == "$layer"/* ]] && (( ${#layer} > best_len )); then best=$i best_len=${#layer}; fi
  done
  (( best >= 0 )) && echo "$best"
  return 0
}

status=0
while IFS= read -r file; do
  from=$(rank_of "$file")
  [ -z "$from" ] && { echo "check-layers: $file lies in no layer" >&2; status=1; continue; }
  while IFS= read -r target; do
    to=$(rank_of "$target")
    [ -z "$to" ] && continue  # not one of the program's folders (a resource, a generated file)
    if (( to > from )); then
      echo "check-layers: $file includes $target, a layer above its own (${layers[$from]} < ${layers[$to]})" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

[ "$status" -eq 0 ] && echo "Layers: every include points down (${layers[*]})"
exit "$status"
