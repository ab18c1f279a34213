#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `cmake --install` of the game into a temporary prefix: exactly the expected files, a launcher
# entry, software-centre record and manual page that their validators accept, and a tree that
# still runs after it has been moved as a whole.
#
# usage: install_test.sh BUILD_DIR BIN_DIR VERSION
set -euo pipefail
build=$1
bin_dir=$2
version=$3
here=$(dirname "$0")
source "$here/../blackbox/xvfb_lib.sh"
source "$here/installed_lib.sh"

cmake --install "$build" --prefix "$work/prefix" --component game >"$work/install.log" ||
  fail "cmake --install failed: $(cat "$work/install.log")"
check_files "$work/prefix" "$bin_dir"

desktop-file-validate "$work"/prefix/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$work"/prefix/share/metainfo/*.xml || fail "appstreamcli validate"
# The licences, and the release as dpkg's own parser reads it from debian/changelog.
released=$(date -u -d "$(dpkg-parsechangelog -l "$here/../../debian/changelog" -S Date)" +%F)
for needed in '<metadata_license>CC0-1.0</metadata_license>' '<project_license>MIT</project_license>' \
  "<release version=\"$version\" date=\"$released\">"; do
  grep -qF "$needed" "$work"/prefix/share/metainfo/*.xml || fail "the metainfo lacks $needed"
done
warnings=$(groff -man -ww -z -K utf8 -T utf8 "$work/prefix/share/man/man6/brandel2.6" 2>&1)
[ -z "$warnings" ] || fail "the manual page: $warnings"

mv "$work/prefix" "$work/moved"
play_installed "$work/moved/bin/brandel2"
echo "PASS: installed, validated, moved and played"
