#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian packages `make package` built: their control fields, files that no two of them
# share, the game's files (the program in /usr/games), and the four extracted into one scratch
# root, where the installed example builds against libwavemix-dev's files and the game runs
# under Xvfb with the record in a data folder of its own.
#
# usage: package_test.sh BUILD_DIR BIN_DIR VERSION CXX
set -euo pipefail
build=$1
bin_dir=$2
version=$3
cxx=$4
here=$(dirname "$0")
source "$here/../blackbox/xvfb_lib.sh"
source "$here/installed_lib.sh"
source "$here/../wavemix_library/consumer_lib.sh"
find_packages "$build" "$version" "$bin_dir"

field() { dpkg-deb -f "${deb[$1]}" "$2"; }
expect_field() {
  [[ "$(field "$1" "$2")" == $3 ]] || fail "$1: $2 is '$(field "$1" "$2")', not $3"
}
for name in "${!deb[@]}"; do
  expect_field "$name" Package "$name"
  expect_field "$name" Version "$version"
  expect_field "$name" Maintainer '?* <?*@?*>'
  [ "$(field "$name" Description | wc -l)" -gt 2 ] || fail "$name: no long description"
  [[ "$(ar t "${deb[$name]}")" == *data.tar.xz* ]] || fail "$name: data not compressed with xz"
done
expect_field brandel2 Section games
expect_field libwavemix1 Section libs
expect_field libwavemix-dev Section libdevel
# Library dependencies come from dpkg-shlibdeps, with versions; the rest is named by hand.
for needed in 'libqt6widgets6 (' 'libsdl2-2.0-0 (' 'libfluidsynth3 (' 'libc6 (' \
  fonts-ipafont-gothic fonts-ipafont-mincho qt6-wayland 'timgm6mb-soundfont | sf2-soundfont-gm'; do
  expect_field brandel2 Depends "*$needed*"
done
expect_field libwavemix1 Depends "*libsdl2-2.0-0 (*"
expect_field libwavemix-dev Depends "*libwavemix1 (= $version)*"
[ "$(dpkg-deb --ctrl-tarfile "${deb[libwavemix1]}" | tar -xO ./shlibs)" = \
  "libwavemix 1 libwavemix1 (>= $version)" ] || fail "libwavemix1's shlibs file"

shared=$(for name in "${!deb[@]}"; do dpkg-deb -c "${deb[$name]}"; done | awk '!/^d/ {print $6}' |
  sort | uniq -d)
[ -z "$shared" ] || fail "files in more than one package: $shared"

dpkg-deb -x "${deb[brandel2]}" "$work/root"
check_files "$work/root/usr" "$bin_dir" games .gz \
  share/doc/brandel2/changelog.gz share/doc/brandel2/copyright share/lintian/overrides/brandel2
for name in libwavemix1 libwavemix-dev wavemix-tools; do
  dpkg-deb -x "${deb[$name]}" "$work/root"
done

libdir=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
check_consumer "$work/root/usr" "$libdir" "$work/root/usr/share/doc/libwavemix-dev/examples/play-wave" "$cxx"
usage=$("$work/root/usr/bin/wavemix-render" 2>&1) && fail "wavemix-render ran without a script"
[[ "$usage" == "usage: wavemix-render"* ]] || fail "wavemix-render said: $usage"

play_installed "$work/root/usr/games/brandel2"
echo "PASS: four packages: fields, files, the example built against libwavemix-dev, the game played"
