#!/bin/sh
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# Compiles resources/tarnwick.rc with MinGW's windres, as a Windows build
# does, into a .res file and reads that back: one icon group named IDI_ICON1
# in US English (1033) holding one 48 x 48, 24-bit image of 7336 bytes, the
# very image that resources/tarnwick.ico carries.
#
# Usage: check-windows-resource.sh <resources folder>
set -eu

resources=$(cd "$1" && pwd)
windres=${WINDRES:-x86_64-w64-mingw32-windres}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Compile from elsewhere: the .rc must find its icon beside itself, as it
# does when a build folder compiles it.
cd "$work"

# windres preprocesses with MinGW's gcc, which binutils-mingw-w64 alone does
# not bring; the host's C preprocessor does the same job on this plain file.
"$windres" --preprocessor=cpp --input-format=rc --output-format=res \
    --input="$resources/tarnwick.rc" --output=tarnwick.res

python3 - tarnwick.res "$resources/tarnwick.ico" <<'PY'
import struct
import sys

RT_ICON, RT_GROUP_ICON = 3, 14
EN_US = 0x409

res = open(sys.argv[1], "rb").read()
ico = open(sys.argv[2], "rb").read()
failures = []


def expect(what, actual, wanted):
    if actual != wanted:
        failures.append(f"{what}: {actual!r}, expected {wanted!r}")


def read_name(pos):
    """A type or name in a resource header: 0xFFFF and a number, or a
    NUL-terminated UTF-16 string. Returns it and the position after it."""
    if res[pos:pos + 2] == b"\xff\xff":
        return struct.unpack_from("<H", res, pos + 2)[0], pos + 4
    end = pos
    while res[end:end + 2] != b"\0\0":
        end += 2
    return res[pos:end].decode("utf-16-le"), end + 2


# A .res file is a run of entries, each a header and its data, both padded
# to 4 bytes; the first entry is an empty one that marks the 32-bit format.
entries = []
pos = 0
while pos < len(res):
    data_size, header_size = struct.unpack_from("<II", res, pos)
    kind, after = read_name(pos + 8)
    name, after = read_name(after)
    after = (after + 3) & ~3
    _data_version, _flags, language = struct.unpack_from("<IHH", res, after)
    data = res[pos + header_size:pos + header_size + data_size]
    entries.append((kind, name, language, data))
    pos = (pos + header_size + data_size + 3) & ~3
entries = [entry for entry in entries if entry[0] != 0]

groups = [e for e in entries if e[0] == RT_GROUP_ICON]
icons = [e for e in entries if e[0] == RT_ICON]
expect("resources", sorted(e[0] for e in entries), [RT_ICON, RT_GROUP_ICON])

if len(groups) == 1 and len(icons) == 1:
    _, group_name, group_language, group = groups[0]
    _, icon_name, icon_language, image = icons[0]
    expect("icon group name", group_name, "IDI_ICON1")
    expect("icon group language", hex(group_language), hex(EN_US))
    expect("icon language", hex(icon_language), hex(EN_US))

    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    expect("group type (1: icon)", kind, 1)
    expect("images in the group", count, 1)
    expect("group size", len(group), 6 + 14)
    if len(group) >= 6 + 14:
        width, height, colours, _, planes, bits, size, icon_id = \
            struct.unpack_from("<BBBBHHIH", group, 6)
        expect("group entry width", width, 48)
        expect("group entry height", height, 48)
        expect("group entry colour count", colours, 0)
        expect("group entry planes", planes, 1)
        expect("group entry bits per pixel", bits, 24)
        expect("group entry image bytes", size, 7336)
        expect("group entry icon id", icon_id, icon_name)

    expect("image bytes", len(image), 7336)
    header = struct.unpack_from("<IiiHHI", image, 0)
    expect("image header (size, width, height, planes, bits, BI_RGB)",
           header, (40, 48, 96, 1, 24, 0))
    expect("image is the one in tarnwick.ico", image == ico[22:], True)

if failures:
    print("tarnwick.rc does not compile to the expected resources:", file=sys.stderr)
    for failure in failures:
        print("  " + failure, file=sys.stderr)
    sys.exit(1)
print("IDI_ICON1 (language 0x409): one 48 x 48 24-bit image, 7336 bytes")
PY
