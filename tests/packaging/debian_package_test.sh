#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package in a scratch folder and reads it back as dpkg does.
# Usage: debian_package_test.sh <build dir> <installed_files.txt> <version>
set -euo pipefail
build=$1 expected=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$work/veloquill_${version}_$(dpkg --print-architecture).deb
diff -u <(sed 's|^|usr/|' "$expected") \
    <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort)

info=$(dpkg-deb -I "$deb")
for field in "Package: veloquill" "Version: $version" "Maintainer: .+ <.+@.+>" \
    "Description: .+" "Depends: .*libqt6widgets6.*" "Depends: .*libqt6gui6.*" \
    "Depends: .*libx11-6.*" "Depends: .*libxi6.*"; do
    grep -Eq "^ $field$" <<<"$info" || { echo "no '$field' in:"; echo "$info"; exit 1; }
done

# The changelog's newest entry is this very version, so that changelog readers match it.
entry=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/veloquill/changelog.gz | zcat |
    sed -n 1p)
[[ $entry == "veloquill ($version) "* ]] || { echo "changelog starts with '$entry'"; exit 1; }

# Debian's own checker: notes (I:, P:) may stay, errors and warnings may not.
if ! report=$(lintian "$deb" 2>&1) || grep -Eq '^[EW]: ' <<<"$report"; then
    echo "$report"
    exit 1
fi
