#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `make package`: the Debian packages brandel2, libwavemix1, libwavemix-dev and wavemix-tools,
# built by dpkg-buildpackage from a copy of the tree in BUILD_DIR/debian-build (the tree itself
# stays clean) and placed in BUILD_DIR as <name>_<version>_<arch>.deb.
#
# usage: build-packages.sh BUILD_DIR JOBS [CMAKE_FLAGS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)
jobs=$2
stage=$build/debian-build

rm -rf "$stage"
mkdir -p "$stage/src"
# The files git knows, committed or not, less the ignored ones; all but the build folders when
# the tree is no git checkout.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z --cached --others --exclude-standard |
    (cd "$root" && tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null)
else
  tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude="./${build#"$root"/}" \
    -cf - .
fi | tar -C "$stage/src" -xf -

# dh gives the build a HOME of its own; a compiler cache named in CMAKE_FLAGS keeps its folder.
if command -v ccache >/dev/null && [ -z "${CCACHE_DIR:-}" ]; then
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
log=$stage/build.log
echo "build-packages: dpkg-buildpackage -b in $stage/src (log: $log)"
if ! (cd "$stage/src" && BRANDEL_CMAKE_FLAGS="${3:-}" dpkg-buildpackage -b --no-sign -j"$jobs") \
  >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "build-packages: dpkg-buildpackage failed; the whole log is $log" >&2
  exit 1
fi

rm -f "$build"/{brandel2,libwavemix1,libwavemix-dev,wavemix-tools}_*.deb
mv "$stage"/*.deb "$build/"
ls "$build"/*.deb
