#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs COMMAND... on a private Xvfb with Qt's X11 platform: tests of the real window that
# must run inside the program's own process.
#
# usage: with_xvfb.sh COMMAND...
set -euo pipefail
source "$(dirname "$0")/xvfb_lib.sh"
start_xvfb
QT_QPA_PLATFORM=xcb "$@"
