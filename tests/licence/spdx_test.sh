#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Each file git tracks carries an SPDX-License-Identifier line within its first three lines
# (after a shebang, an XML declaration or a manual page's first request). Exempt: documentation,
# the licence itself, and data that has no room for comments (fuzzing corpora, the initial
# play record, the exported-symbol list, Debian's changelog, copyright and source format).
#
# usage: spdx_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "SKIP: not a git checkout"; exit 77; }

exempt='(^|/)[^/]*\.md$|^LICENSE$|^fuzz/corpus/|^assets/my\.dat$'
exempt+='|^tests/wavemix_library/exported_symbols\.txt$|^debian/(changelog|copyright|source/format)$'
checked=0
missing=()
while IFS= read -r -d '' file; do
  [[ "$file" =~ $exempt ]] || [ ! -f "$file" ] && continue
  checked=$((checked + 1))
  head -n 3 "$file" | grep -q 'SPDX-License-Identifier: [A-Za-z0-9.+-]' || missing+=("$file")
done < <(git ls-files -z)

[ ${#missing[@]} -eq 0 ] || { printf 'FAIL: no SPDX line in %s\n' "${missing[@]}"; exit 1; }
echo "PASS: $checked files name their licence"
