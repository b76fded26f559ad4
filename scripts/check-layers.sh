#!/usr/bin/env bash
# Reads every #include "…" of the sources and fails when an arrow points up:
# a file may include only its own folder's layer or one below it. The layers,
# lowest first:
#
#   state ← net ← router ← language ← steps/kit ← steps/easy, steps/advanced
#         ← wizard (the Qt kit) ← pages, advanced (the Qt pages) ← app
#
# Besides: tools/ (the CLI and the emulator) stand on the core only (state,
# net, router, language); a Qt header (<Q…>) appears only in the Qt folders
# (wizard, pages, advanced, app) and in the GUI tests and benchmarks. Tests
# and benchmarks may include anything.
#
#   scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

# The rank of a path's layer; empty for paths outside the layered folders.
rank() {
  case "$1" in
    state/*) echo 10 ;;
    net/*) echo 20 ;;
    router/*) echo 30 ;;
    language/*) echo 40 ;;
    steps/kit/*) echo 50 ;;
    steps/easy/*) echo 60 ;;
    steps/advanced/*) echo 61 ;;
    wizard/*) echo 70 ;;
    pages/* | advanced/*) echo 80 ;;
    app/*) echo 90 ;;
    tools/*) echo 45 ;;
    *) echo "" ;;
  esac
}
qt_folder() {
  case "$1" in
    wizard/* | pages/* | advanced/* | app/* | tests/gui/* | benchmarks/*) return 0 ;;
    *) return 1 ;;
  esac
}

failures=0
fail() {
  echo "check-layers: $1" >&2
  failures=$((failures + 1))
}

while IFS= read -r file; do
  from=$(rank "$file")
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    number=${line%%:*}
    text=${line#*:}
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<Q ]]; then
      qt_folder "$file" || fail "$file:$number: a Qt header outside the Qt folders: $text"
      continue
    fi
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    target=${BASH_REMATCH[1]}
    [ -n "$from" ] || continue
    to=$(rank "$target")
    [ -n "$to" ] || continue
    if [ "$to" -gt "$from" ]; then
      fail "$file:$number: includes $target, a higher layer"
    elif [ "$from" = 45 ] && [ "$to" -gt 40 ] && [ "${target%%/*}" != tools ]; then
      fail "$file:$number: a tool includes $target; tools stand on the core only"
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||')

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) against the layering (see DESIGN.md)" >&2
  exit 1
fi
echo "check-layers: every include points down"
