#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `make package`'s Debian package: its name, control fields and files, and the extracted tree
# running under Xvfb with the record in a data folder of its own.
#
# usage: package_test.sh BUILD_DIR BIN_DIR VERSION
set -euo pipefail
build=$1
bin_dir=$2
version=$3
here=$(dirname "$0")
source "$here/../blackbox/xvfb_lib.sh"
source "$here/installed_lib.sh"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb="$work/package/brandel2_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$work/package")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = brandel2 ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[[ "$(field Maintainer)" =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -gt 2 ] || fail "no long description: $(field Description)"
depends=$(field Depends)
for needed in 'libqt6widgets6 (' 'libsdl2-2.0-0 (' 'libfluidsynth3 (' 'libsoxr0 (' 'libc6 (' \
  fonts-ipafont-gothic fonts-ipafont-mincho 'timgm6mb-soundfont | sf2-soundfont-gm'; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

dpkg-deb -x "$deb" "$work/root"
check_files "$work/root/usr" "$bin_dir"
play_installed "$work/root/usr/bin/brandel2"
echo "PASS: $(basename "$deb"): fields, files, and the extracted game plays"
