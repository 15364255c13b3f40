#!/usr/bin/env python3
"""Writes the program's bitmaps, cursors and icons from readable text pixel maps.

Usage: mkimg.py OUTDIR SOURCE.ext.txt ...   (each source NAME.bmp.txt becomes OUTDIR/NAME.bmp)

A source holds `key value` lines, then `pixels` and one text row per image row, top row first:
  kind bitmap|cursor|icon
  bits 1|4|8|24          bitmaps only (cursors are 1 bit, icons 4 bits)
  hotspot X Y            cursors only
  color C RRGGBB         the colour of pixel character C (bitmaps and icons)
Cursors use fixed characters: '.' transparent, '#' black, 'o' white, '~' inverted screen.
Icons take '.' as transparent. Lines starting with '#' before `pixels` are comments.
"""
import os
import struct
import sys


def parse(path):
    meta, colors, rows, in_pixels = {}, {}, [], False
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.rstrip("\n")
            if in_pixels:
                if line.strip():
                    rows.append(line.strip())
                continue
            if not line.strip() or line.startswith("#"):
                continue
            key, _, value = line.partition(" ")
            if key == "pixels":
                in_pixels = True
            elif key == "color":
                ch, rgb = value.split()
                colors[ch] = int(rgb, 16)
            else:
                meta[key] = value.strip()
    width = len(rows[0])
    if any(len(r) != width for r in rows):
        sys.exit(f"{path}: rows differ in length")
    return meta, colors, rows


def pack_rows(indexes, width, bits):
    """Bottom-up DIB rows, each padded to 32 bits."""
    out = bytearray()
    for row in reversed(indexes):
        acc, nbits, line = 0, 0, bytearray()
        for v in row:
            acc = (acc << bits) | v
            nbits += bits
            if nbits == 8:
                line.append(acc)
                acc, nbits = 0, 0
        if nbits:
            line.append(acc << (8 - nbits))
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def info_header(width, height, bits, ncolors, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, ncolors, 0)


def palette_bytes(pal):
    return b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in pal)


def bitmap(meta, colors, rows, path):
    bits = int(meta.get("bits", "24"))
    height, width = len(rows), len(rows[0])
    if bits == 24:
        data = bytearray()
        for row in reversed(rows):
            line = bytearray()
            for ch in row:
                c = colors[ch]
                line += bytes((c & 0xFF, (c >> 8) & 0xFF, c >> 16))
            line.extend(b"\0" * (-len(line) % 4))
            data += line
        pal = b""
    else:
        order = list(colors)
        if len(order) > (1 << bits):
            sys.exit(f"{path}: too many colours for {bits} bits")
        data = pack_rows([[order.index(ch) for ch in r] for r in rows], width, bits)
        pal = palette_bytes([colors[c] for c in order] + [0] * ((1 << bits) - len(order)))
    head = info_header(width, height, bits, 0, len(data)) + pal
    return struct.pack("<2sIHHI", b"BM", 14 + len(head) + len(data), 0, 0, 14 + len(head)) + head + data


def icon_or_cursor(meta, colors, rows, path, is_cursor):
    height, width = len(rows), len(rows[0])
    if is_cursor:
        xor_of = {".": 0, "#": 0, "o": 1, "~": 1}
        and_of = {".": 1, "#": 0, "o": 0, "~": 1}
        bits, pal = 1, [0x000000, 0xFFFFFF]
        xor_rows = [[xor_of[ch] for ch in r] for r in rows]
        and_rows = [[and_of[ch] for ch in r] for r in rows]
    else:
        order = [c for c in colors if c != "."]
        if len(order) > 16:
            sys.exit(f"{path}: an icon holds at most 16 colours")
        bits, pal = 4, [colors[c] for c in order] + [0] * (16 - len(order))
        xor_rows = [[0 if ch == "." else order.index(ch) for ch in r] for r in rows]
        and_rows = [[1 if ch == "." else 0 for ch in r] for r in rows]
    xor = pack_rows(xor_rows, width, bits)
    mask = pack_rows(and_rows, width, 1)
    # The image's header counts the colour and mask halves together.
    image = info_header(width, height * 2, bits, 0, 0) + palette_bytes(pal) + xor + mask
    if is_cursor:
        hx, hy = (int(v) for v in meta.get("hotspot", "0 0").split())
        planes_or_x, bits_or_y, kind = hx, hy, 2
    else:
        planes_or_x, bits_or_y, kind = 1, bits, 1
    header = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0 if bits >= 8 else 1 << bits, 0,
                        planes_or_x, bits_or_y, len(image), 6 + 16)
    return header + entry + image


def main():
    outdir, sources = sys.argv[1], sys.argv[2:]
    os.makedirs(outdir, exist_ok=True)
    for src in sources:
        meta, colors, rows = parse(src)
        kind = meta.get("kind", "bitmap")
        if kind == "bitmap":
            data = bitmap(meta, colors, rows, src)
        elif kind in ("cursor", "icon"):
            data = icon_or_cursor(meta, colors, rows, src, kind == "cursor")
        else:
            sys.exit(f"{src}: unknown kind {kind}")
        name = os.path.basename(src)[: -len(".txt")]
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
