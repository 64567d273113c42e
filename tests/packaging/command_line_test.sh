#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Help, version and a mistaken option are answered without any display, under the
# program's own name.
# Usage: command_line_test.sh <program> <version>
set -uo pipefail
program=$1 version=$2
unset DISPLAY WAYLAND_DISPLAY
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

check() { # <status> <first line> <out|err> <arguments...>
    local want=$1 line=$2 stream=$3
    shift 3
    "$program" "$@" >"$tmp/out" 2>"$tmp/err"
    local status=$?
    if [ "$status" != "$want" ] || [ "$(head -n1 "$tmp/$stream")" != "$line" ]; then
        echo "veloquill $*: status $status (want $want), output:"
        cat "$tmp/out" "$tmp/err"
        failed=1
    fi
}
check 0 "veloquill $version" out --version
check 0 "Usage: veloquill [options]" out --help
check 2 "veloquill: Unknown option 'frobnicate'." err --frobnicate
check 2 "veloquill: --precision takes on, off or toggle, not 'up'." err --precision up
exit $failed
