#!/usr/bin/env bash
# Formats every C++ file of the project with the root .clang-format.
#   tools/format.sh           rewrite the files in place
#   tools/format.sh --check   change nothing; list the files that differ and
#                             exit 1 when there are any
# The files are those git knows (tracked, or new and not ignored), so build
# trees and generated sources are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: tools/format.sh [--check]" >&2; exit 2 ;;
esac

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "clang-format not found; install it with: apt-get install clang-format" >&2
  exit 2
fi

mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
  '*.cpp' '*.h' '*.hpp' '*.cc' | sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ ${#files[@]} -gt 0 ] || exit 0

if [ $check -eq 0 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$clang_format" -i --style=file
  exit 0
fi

# One clang-format per batch of files; --dry-run names each line it would
# change, so the files that differ are the names in its warnings.
report=$(printf '%s\0' "${files[@]}" | xargs -0 -n 50 "$clang_format" --style=file --dry-run 2>&1 || true)
differing=$(grep -oE '^[^:]+:[0-9]+:[0-9]+: (warning|error): code should be clang-formatted' <<<"$report" \
  | cut -d: -f1 | sort -u || true)
[ -z "$differing" ] && exit 0
echo "$differing"
echo "these files are not formatted; run tools/format.sh" >&2
exit 1
