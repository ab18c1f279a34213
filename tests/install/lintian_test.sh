#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Debian's package checker has nothing to say about the packages `make package` built, at every
# level down to pedantic, beyond the overrides they carry with their reasons; an override that
# no longer matches is reported too (unused-override).
#
# usage: lintian_test.sh BUILD_DIR BIN_DIR VERSION
set -euo pipefail
here=$(dirname "$0")
fail() { echo "FAIL: $*" >&2; exit 1; }
source "$here/installed_lib.sh"
find_packages "$1" "$3" "$2"

status=0
report=$(lintian --display-info --pedantic "${deb[@]}" 2>&1) || status=$?
# Its one remark on running as root is no finding.
report=${report//running with root privileges is not recommended!/}
[[ "$report" =~ ^[[:space:]]*$ ]] && [ "$status" -eq 0 ] ||
  fail "lintian (exit $status):"$'\n'"$report"
echo "PASS: lintian --display-info --pedantic is silent on ${deb[*]##*/}"
