#!/usr/bin/env python3
"""Packs PNG drawings into a 16-colour .ico or .cur file, or an 8-bit .bmp.

  pack_ico.py icon OUT.ico IMAGE.png [IMAGE.png ...]
  pack_ico.py cursor --hotspot X,Y OUT.cur IMAGE.png
  pack_ico.py bitmap OUT.bmp IMAGE.png

Each icon or cursor image becomes one entry, 4 bits per pixel with the standard
16-colour VGA palette. Pixels at least half opaque are mapped to the nearest
palette colour; the rest are transparent (AND mask bit set, colour index 0).

A bitmap keeps its colours exactly: it must have at most 256, which become its
palette, and its pixels are stored run-length encoded (BI_RLE8), which the
system's bitmap loader decodes. The image's alpha is ignored.

The pixels are read through ImageMagick's `convert`, so no Python packages are
needed.
"""
import struct
import subprocess
import sys

# The 16 colours of the standard VGA palette, in the order Windows uses.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_rgba(path):
    size = subprocess.run(['identify', '-format', '%w %h', path + '[0]'], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(['convert', path + '[0]', '-depth', '8', 'rgba:-'], check=True,
                         capture_output=True).stdout
    if len(raw) != width * height * 4:
        sys.exit(f'{path}: expected {width}x{height} RGBA pixels, got {len(raw)} bytes')
    return width, height, raw


def nearest(r, g, b):
    return min(range(16), key=lambda i: (VGA[i][0] - r) ** 2 + (VGA[i][1] - g) ** 2 +
               (VGA[i][2] - b) ** 2)


def row_bytes(bits_per_pixel, width):
    return (bits_per_pixel * width + 31) // 32 * 4


def encode_entry(width, height, raw):
    """The BITMAPINFOHEADER, palette, XOR (colour) and AND (mask) bitmaps of one entry."""
    xor_stride, and_stride = row_bytes(4, width), row_bytes(1, width)
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(height)):  # bottom-up rows
        xor_row, and_row = bytearray(xor_stride), bytearray(and_stride)
        for x in range(width):
            r, g, b, a = raw[(y * width + x) * 4:(y * width + x) * 4 + 4]
            if a < 128:
                and_row[x // 8] |= 0x80 >> (x % 8)
                continue
            index = nearest(r, g, b)
            xor_row[x // 2] |= index << 4 if x % 2 == 0 else index
        xor += xor_row
        mask += and_row
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    return header + palette + bytes(xor) + bytes(mask)


def rle8_row(row):
    """One row of palette indices in BI_RLE8: runs of a repeated index as (count,
    index), other stretches of three or more as absolute runs (0, count, indices,
    padded to an even length), then the end-of-line code."""
    out, i, n = bytearray(), 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 3 or n - i < 3:
            out += bytes((run, row[i]))
            i += run
            continue
        # An absolute stretch ends where a run of three begins.
        end = i
        while end < n and end - i < 255:
            if end + 2 < n and row[end] == row[end + 1] == row[end + 2]:
                break
            end += 1
        if end - i < 3:
            out += bytes((1, row[i]))
            i += 1
            continue
        out += bytes((0, end - i)) + bytes(row[i:end])
        if (end - i) % 2:
            out.append(0)
        i = end
    return out + b'\0\0'


def encode_bitmap(width, height, raw):
    """A BMP file of the image: its own palette and BI_RLE8 pixels, bottom-up."""
    colours, rows = {}, []
    for y in range(height):
        row = []
        for x in range(width):
            r, g, b = raw[(y * width + x) * 4:(y * width + x) * 4 + 3]
            row.append(colours.setdefault((r, g, b), len(colours)))
        rows.append(row)
    if len(colours) > 256:
        sys.exit(f'{width}x{height} image has {len(colours)} colours; a bitmap holds 256')
    pixels = b''.join(rle8_row(row) for row in reversed(rows))
    pixels = pixels[:-2] + b'\0\1'  # the last end-of-line becomes the end of the bitmap
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, len(pixels), 0, 0,
                         len(colours), 0)
    offset = 14 + len(header) + len(palette)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + header + \
        palette + pixels


def main(argv):
    kind = argv[0] if argv else ''
    args = argv[1:]
    hotspot = (0, 0)
    if kind == 'bitmap' and len(args) == 2:
        with open(args[0], 'wb') as f:
            f.write(encode_bitmap(*read_rgba(args[1])))
        return
    if kind == 'cursor' and len(args) >= 2 and args[0] == '--hotspot':
        hotspot = tuple(int(v) for v in args[1].split(','))
        args = args[2:]
    if kind not in ('icon', 'cursor') or len(args) < 2:
        sys.exit(__doc__)
    out, images = args[0], [read_rgba(p) for p in args[1:]]
    entries = [encode_entry(*image) for image in images]
    directory = struct.pack('<HHH', 0, 1 if kind == 'icon' else 2, len(entries))
    offset = 6 + 16 * len(entries)
    for (width, height, _), data in zip(images, entries):
        if width > 256 or height > 256:
            sys.exit(f'{out}: {width}x{height} is too large for an icon entry')
        # Icons: colour count, reserved, planes, bit count. Cursors: hotspot x and y.
        fields = (1, 4) if kind == 'icon' else hotspot
        directory += struct.pack('<BBBBHHII', width % 256, height % 256, 16, 0, *fields,
                                 len(data), offset)
        offset += len(data)
    with open(out, 'wb') as f:
        f.write(directory + b''.join(entries))


if __name__ == '__main__':
    main(sys.argv[1:])
