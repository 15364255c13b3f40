#!/usr/bin/env python3
"""Writes the standard style table resource (STDSTYLE) from its readable source.

Usage: mkstyle.py SOURCE.txt OUTPUT.bin

The output has the layout of an older options store record: a 16-byte block header (id 102,
type 51), i16 count, i16 default style index, then one 68-byte packed style per entry: seven u32
colours, four i16 (shadow dx, dy, kind, flags) and a 32-byte NUL-terminated name.
"""
import struct
import sys


def number(text):
    return int(text.strip(), 0)


def main(source, output):
    default, styles = 0, []
    with open(source, encoding="ascii") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("default "):
                default = number(line.split()[1])
                continue
            fields = [p.strip() for p in line.split("|")]
            if len(fields) != 12:
                sys.exit(f"{source}: 12 fields expected: {line}")
            name = fields[0].encode("ascii")
            if len(name) > 31:
                sys.exit(f"{source}: name longer than 31 characters: {fields[0]}")
            colors = [number(c) & 0xFFFFFFFF for c in fields[1:8]]
            dx, dy, kind, flags = (number(v) for v in fields[8:12])
            styles.append(struct.pack("<7I4h32s", *colors, dx, dy, kind, flags, name))
    if not styles or not 0 <= default < len(styles):
        sys.exit(f"{source}: no styles, or the default index is outside them")
    size = 20 + 68 * len(styles)
    # Block header as the store lays it out: id, type, slot, offset, size, flags.
    header = struct.pack("<hhhiiH", 102, 51, 0, 0, size, 0)
    with open(output, "wb") as f:
        f.write(header + struct.pack("<hh", len(styles), default) + b"".join(styles))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
