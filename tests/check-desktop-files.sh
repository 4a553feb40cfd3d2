#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# Validates the desktop entry and the AppStream metainfo in data/.
#
# Usage: check-desktop-files.sh <data folder>
set -eu

data=$1
status=0

# desktop-file-validate fails only on errors; a warning fails here too.
report=$(desktop-file-validate "$data/org.example.tarnwick.desktop" 2>&1) || status=1
[ -n "$report" ] && printf '%s\n' "$report"
if printf '%s\n' "$report" | grep -q -E ': (error|warning): '; then
    status=1
fi

# --strict: infos fail as well as warnings and errors; --pedantic shows the rest.
appstreamcli validate --no-net --strict --pedantic \
    "$data/org.example.tarnwick.metainfo.xml" || status=1

exit $status
