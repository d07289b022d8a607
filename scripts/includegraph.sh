#!/usr/bin/env bash
# Prints the include graph between the folders under src/, one arrow a line
# ("shell -> report (2 files)": two files of shell include headers of report),
# then "no cycle"; or fails, naming each cycle the arrows form, so that the
# layers stay one-way: shell -> subsystems -> shared widgets -> core.
#
#   scripts/includegraph.sh [SRC_DIR]    (the src/ beside this script by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/../src}"

# "from to" for every file of folder "from" that includes a header of another
# folder "to" ( #include "to/name.h" ), once per file and folder.
arrows() {
  local file from to
  find . -mindepth 2 -type f \( -name '*.cpp' -o -name '*.h' \) | sort | while read -r file; do
    from=${file#./}
    from=${from%%/*}
    sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z0-9_]*\)/.*|\1|p' "$file" | sort -u |
      while read -r to; do
        if [[ $to != "$from" && -d $to ]]; then echo "$from $to"; fi
      done
  done
}

counted=$(arrows | sort | uniq -c)
[[ -z $counted ]] || awk '{ printf "%-10s -> %-10s (%d file%s)\n", $2, $3, $1, $1 == 1 ? "" : "s" }' <<<"$counted"

# tsort orders the folders and names each loop it has to break as lines
# "tsort: -: input contains a loop:", then "tsort: FOLDER" along the arrows.
if ! loops=$(awk '{ print $2, $3 }' <<<"$counted" | tsort 2>&1 >/dev/null); then
  awk '/input contains a loop/ { if (path != "") print path " -> " first; path = ""; next }
       { sub(/^tsort: /, "")
         if (path == "") { path = "cycle: " $0; first = $0 } else path = path " -> " $0 }
       END { if (path != "") print path " -> " first }' <<<"$loops" | awk '!seen[$0]++' >&2
  exit 1
fi
echo "no cycle"
