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
files=$(git ls-files | grep -cvE "$exempt")
# One awk over all of them: a file's name is printed when none of its first three lines holds
# the identifier.
missing=$(git ls-files -z | grep -zvE "$exempt" | xargs -0 awk '
  FNR == 1 { if (name != "" && !found) print name; name = FILENAME; found = 0 }
  FNR <= 3 && /SPDX-License-Identifier: [A-Za-z0-9.+-]/ { found = 1 }
  FNR >= 3 { nextfile }
  END { if (name != "" && !found) print name }')

[ -z "$missing" ] || { echo "FAIL: no SPDX line in:"; echo "$missing"; exit 1; }
echo "PASS: $files files name their licence"
