#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The program as installed carries the hardening Debian asks of packages: read-only
# relocations bound at start, a position-independent executable, fortified C library calls
# and stack protection.
# Usage: hardening_test.sh <program>
set -uo pipefail
program=$1
failed=0

check() { # <what> <readelf option> <extended regex>
    if ! grep -Eq "$3" <<<"$(readelf -W "$2" "$program")"; then
        echo "no $1 (readelf $2 has no /$3/)"
        failed=1
    fi
}
check "immediate binding" --dynamic '\((FLAGS|FLAGS_1)\) .*\bNOW\b'
check "read-only relocations" --segments '^ +GNU_RELRO '
check "position-independent executable" --file-header '^ +Type: +DYN '
check "fortified functions" --dyn-syms ' __[a-z0-9_]+_chk(@|$)'
check "stack protector" --dyn-syms ' __stack_chk_fail(@|$)'
exit $failed
