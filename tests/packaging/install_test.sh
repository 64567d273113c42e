#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs into a scratch DESTDIR and checks the tree with the tools desktops and man use.
# Usage: install_test.sh <build dir> <installed_files.txt> <app id>
set -euo pipefail
build=$1 expected=$2 id=$3
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
cd "$dest/usr"
diff -u "$expected" <(find . -type f -printf '%P\n' | LC_ALL=C sort)

desktop-file-validate "share/applications/$id.desktop"
# Clean down to the pedantic hints, which alone would not fail the command.
appstream() {
    local report
    report=$(appstreamcli "$@" --pedantic --no-net) && ! grep -q '^[EWIP]:' <<<"$report" ||
        { echo "$report"; return 1; }
}
appstream validate share/metainfo/*.metainfo.xml
appstream validate-tree "$dest" # the launchable names the installed entry
warnings=$(MANWIDTH=80 man --warnings -l share/man/man1/veloquill.1.gz 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "$warnings"
    exit 1
fi
