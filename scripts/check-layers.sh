#!/usr/bin/env bash
# Fails when a folder includes a header of a module its CMakeLists.txt does not link, directly or
# through the modules it links. The CMake files are the table of allowed links: a module folder is
# src/<name> (target px_<name>) or relayd (px_relayd).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A folder_of links

# The px_* targets named in a folder's px_add_module / target_link_libraries calls: the first is
# the folder's own module, the rest are what it links.
module_targets() {
  tr '\n' ' ' < "$1/CMakeLists.txt" |
    grep -oE '(px_add_module|add_library|target_link_libraries)\([^)]*\)' |
    grep -oE '\bpx_[a-z_]+\b' | grep -vx 'px_add_module' | awk '!seen[$0]++' || true
}

for dir in src/*/ relayd/; do
  dir=${dir%/}
  [ -f "$dir/CMakeLists.txt" ] || continue
  targets=$(module_targets "$dir")
  [ -n "$targets" ] || continue
  self=$(head -n 1 <<< "$targets")
  folder_of[$self]=$dir
  links[$dir]=$(tail -n +2 <<< "$targets" | tr '\n' ' ')
done

# Every module a folder may reach: its links, their links, and so on.
reachable() {
  local -A seen=()
  local queue=(${links[$1]}) target
  while [ ${#queue[@]} -gt 0 ]; do
    target=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "${seen[$target]:-}" ] && continue
    seen[$target]=1
    [ -n "${folder_of[$target]:-}" ] && queue+=(${links[${folder_of[$target]}]})
  done
  local t
  for t in "${!seen[@]}"; do
    if [ -n "${folder_of[$t]:-}" ]; then echo "${folder_of[$t]##*/}"; fi
  done
}

known=" "
for dir in "${folder_of[@]}"; do known+="${dir##*/} "; done

status=0
for self in "${!folder_of[@]}"; do
  dir=${folder_of[$self]}
  allowed=" ${dir##*/} $(reachable "$dir" | tr '\n' ' ') "
  while IFS=: read -r file line include; do
    module=${include%%/*}
    # Only our own module folders count; system and third-party headers do not.
    [[ "$known" == *" $module "* ]] || continue
    if [[ "$allowed" != *" $module "* ]]; then
      echo "layer check: $file:$line includes \"$include\", but $self does not link px_$module" >&2
      status=1
    fi
  done < <(grep -nH -oE '^#include "[a-z_]+/[^"]+"' "$dir"/*.h "$dir"/*.cpp 2>/dev/null |
           sed -E 's/#include "([^"]+)"/\1/')
done
[ $status -eq 0 ] && echo "layer check: every include follows the modules' links"
exit $status
