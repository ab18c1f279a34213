#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs each fuzz target for SECONDS under ASan + UBSan on a scratch copy of its seed corpus.
# Exits non-zero when any target reports a finding; its input is kept in BUILD_DIR/fuzz-findings.
set -u
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
findings="$build/fuzz-findings"
mkdir -p "$findings"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/../tests/lsan.supp:print_suppressions=0"

status=0
for target in wave ini midi record; do
  binary="$build/fuzz/fuzz_$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing (build the fuzz_targets target first)" >&2
    status=1
    continue
  fi
  work=$(mktemp -d)
  cp "$here/corpus/$target/"* "$work/"
  echo "fuzz: $target for $seconds s"
  # -max_len bounds the images: a tiny rate raised to 44 kHz multiplies the data 44100 times.
  # The shipped song is longer than that.
  max_len=2048
  [ "$target" = midi ] && max_len=4096
  if ! "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=25 -rss_limit_mb=2560 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" "$work" ; then
    echo "fuzz: $target reported a finding; see $findings" >&2
    status=1
  fi
  rm -rf "$work"
done
exit $status
