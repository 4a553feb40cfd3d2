#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# Installs a build into a temporary prefix and checks that every file lands
# where Linux desktops look for it, and that the desktop entry's Exec and
# Icon and the metainfo's launchable name files that were installed.
#
# Usage: check-install.sh <cmake> <build folder>
set -eu

cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

status=0
expect_file() {
    if [ ! -f "$prefix/$1" ]; then
        echo "not installed: $1" >&2
        status=1
    fi
}

expect_file bin/tarnwick
expect_file share/applications/org.example.tarnwick.desktop
expect_file share/metainfo/org.example.tarnwick.metainfo.xml
expect_file share/icons/hicolor/48x48/apps/org.example.tarnwick.png
expect_file share/icons/hicolor/scalable/apps/org.example.tarnwick.svg
[ $status -eq 0 ] || exit $status

entry="$prefix/share/applications/org.example.tarnwick.desktop"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' \
    "$prefix/share/metainfo/org.example.tarnwick.metainfo.xml")

[ -x "$prefix/bin/$exec_name" ] || { echo "Exec=$exec_name: no such program in bin" >&2; status=1; }
expect_file "share/icons/hicolor/48x48/apps/$icon_name.png"
expect_file "share/icons/hicolor/scalable/apps/$icon_name.svg"
expect_file "share/applications/$launchable"

if [ $status -eq 0 ]; then
    echo "installed:"
    (cd "$prefix" && find . -type f | sort)
fi
exit $status
