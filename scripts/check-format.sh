#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what the repository's
# .clang-format makes of it (clang-format 14, Debian 12's). With --fix it
# rewrites the files in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

format="$(command -v clang-format-14 || command -v clang-format || true)"
if [[ -z "${format}" ]]; then
  echo "check-format: clang-format is not installed (apt-get install clang-format)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [[ "${1:-}" == "--fix" ]]; then
  "${format}" -i "${files[@]}"
  exit 0
fi
if ! "${format}" --dry-run -Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -E "^[^ ].*: error:" /tmp/check-format.$$ | sed -E "s/:[0-9]+:[0-9]+: error:.*//" | sort -u | head -40 >&2
  rm -f /tmp/check-format.$$
  echo "check-format: the files above are not formatted; run bash scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: ${#files[@]} files formatted"
