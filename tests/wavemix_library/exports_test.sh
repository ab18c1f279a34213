#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# libwavemix.so exports exactly the public interface: its SONAME is libwavemix.so.1, and the
# demangled names of its defined dynamic symbols are the list in EXPECTED, no more (nothing of
# the platform layers' internals, no standard-library instances) and no less.
#
# usage: exports_test.sh LIBRARY EXPECTED
set -euo pipefail

library=$1
expected=$2

soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libwavemix.so.1 ] || { echo "FAIL: SONAME is '$soname'"; exit 1; }

actual=$(nm -D --defined-only "$library" | c++filt | cut -d' ' -f3- | sort -u)
if ! diff -u <(grep -v '^#' "$expected" | sort -u) <(printf '%s\n' "$actual"); then
  echo "FAIL: the exported symbols differ from $expected (- expected, + exported)"
  exit 1
fi
echo "PASS: SONAME $soname, $(printf '%s\n' "$actual" | wc -l) exported names, all public"
