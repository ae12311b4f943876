#!/usr/bin/env python3
"""Compiles a readable skin source into the binary skin the skin library reads.

usage: compile_skin.py SOURCE OUTPUT

Source: one setting a line, "name value"; '#' starts a comment unless it starts a colour.
Colours are #RRGGBB, numbers are whole and not negative. Binary layout: ".SHE", version 1,
entry count, two zero bytes, then per entry: kind (1 colour, 2 number), name length, name,
32-bit little-endian value."""
import re
import struct
import sys

NAME = re.compile(r"[!-~]{1,48}$")


def parse(path):
    entries = []
    for number, line in enumerate(open(path, encoding="ascii"), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        parts = line.split()
        if len(parts) != 2 or not NAME.match(parts[0]):
            sys.exit(f"{path}:{number}: expected a name and one value")
        name, value = parts
        if re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
            entries.append((1, name, int(value[1:], 16)))
        elif re.fullmatch(r"[0-9]+", value) and int(value) < 2**32:
            entries.append((2, name, int(value)))
        else:
            sys.exit(f"{path}:{number}: {value!r} is neither #RRGGBB nor a whole number")
    if len({name for _, name, _ in entries}) != len(entries):
        sys.exit(f"{path}: a setting is given twice")
    if len(entries) > 255:
        sys.exit(f"{path}: more than 255 settings")
    return entries


def main(source, output):
    entries = parse(source)
    data = bytearray(b".SHE" + bytes([1, len(entries), 0, 0]))
    for kind, name, value in entries:
        data += bytes([kind, len(name)]) + name.encode("ascii") + struct.pack("<I", value)
    with open(output, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
