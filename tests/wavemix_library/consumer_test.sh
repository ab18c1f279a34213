#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The mixer as another program uses it: installed into a scratch prefix, where the installed
# copy of examples/play-wave builds and plays against it (consumer_lib.sh).
#
# usage: consumer_test.sh BUILD_DIR LIBDIR CXX
set -euo pipefail

build=$1
libdir=$2
cxx=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/consumer_lib.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --component wavemix >/dev/null
example=$prefix/share/doc/wavemix/examples/play-wave
[ -f "$example/main.cpp" ] || fail "the example is not installed"
[ -x "$prefix/bin/wavemix-render" ] || fail "wavemix-render is not installed"
[ -f "$prefix/share/man/man1/wavemix-render.1" ] || fail "its manual page is not installed"

check_consumer "$prefix" "$libdir" "$example" "$cxx"
echo "PASS: the installed library builds and plays with find_package and with pkg-config"
