#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# Builds the Debian package of a build folder with CPack, in a temporary
# folder (the build folder's own package, if any, stays as it was), and
# checks its name, its files and its control fields.
#
# Usage: check-package.sh <cpack> <build folder> <version> <Qt major>
set -eu

cpack=$1
build=$2
version=$3
qt_major=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi

status=0
fail() {
    echo "$*" >&2
    status=1
}

deb="$work/tarnwick_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    fail "no $(basename "$deb"); CPack made: $(cd "$work" && ls ./*.deb 2>/dev/null)"
    exit 1
fi

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for file in \
    ./usr/bin/tarnwick \
    ./usr/share/applications/org.example.tarnwick.desktop \
    ./usr/share/metainfo/org.example.tarnwick.metainfo.xml \
    ./usr/share/icons/hicolor/48x48/apps/org.example.tarnwick.png \
    ./usr/share/icons/hicolor/scalable/apps/org.example.tarnwick.svg
do
    printf '%s\n' "$contents" | grep -q -x -F "$file" || fail "not in the package: $file"
done

field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = tarnwick ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Recommends)" = fonts-wqy-microhei ] || fail "Recommends: $(field Recommends)"
# Found by dpkg-shlibdeps from the program's own libraries.
widgets="libqt${qt_major}widgets${qt_major}"
printf '%s\n' "$(field Depends)" | grep -q -E "(^|, )$widgets( |,|$)" \
    || fail "Depends lacks $widgets: $(field Depends)"
for name in Maintainer Section Description Homepage; do
    [ -n "$(field "$name")" ] || fail "no $name field"
done

if [ $status -eq 0 ]; then
    dpkg-deb -f "$deb"
    printf '%s\n' "$contents"
fi
exit $status
