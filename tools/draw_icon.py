#!/usr/bin/env python3
"""Draws stelvo's application icon: ten images in one .ico.

16, 32 and 48 px in 16 and in 256 colours; 16, 32, 48 and 64 px in 32-bit colour.
The picture is a blue disc with a white downward arrow (an installer that
fetches the agent). Run: tools/draw_icon.py launcher/resources/stelvo.ico
"""
import struct
import sys

BLUE = (0x1F, 0x5F, 0xBF)
WHITE = (0xFF, 0xFF, 0xFF)
# 16-colour images use the standard VGA palette; its closest entries.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def pixel(size, x, y):
    """None for transparent, else an (r, g, b) colour. y counts from the top."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    dx, dy = x - c, y - c
    if dx * dx + dy * dy > r * r:
        return None
    u, v = x / size, y / size
    shaft = abs(u - 0.5) < 0.09 and 0.2 < v < 0.55
    head = 0.5 <= v < 0.8 and abs(u - 0.5) < (0.8 - v) * 0.95
    return WHITE if (shaft or head) else BLUE


def dib(size, bpp):
    rows_xor, rows_and = [], []
    palette = b""
    if bpp == 4:
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)
        index = {BLUE: 12, WHITE: 15}  # nearest VGA entries
    elif bpp == 8:
        colours = [(0, 0, 0), BLUE, WHITE] + [(0, 0, 0)] * 253
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
        index = {BLUE: 1, WHITE: 2}
    for y in range(size - 1, -1, -1):  # bottom-up
        xor_row = bytearray()
        mask_bits = []
        nibbles = []
        for x in range(size):
            p = pixel(size, x, y)
            mask_bits.append(1 if p is None else 0)
            if bpp == 32:
                if p is None:
                    xor_row += b"\0\0\0\0"
                else:
                    xor_row += struct.pack("<BBBB", p[2], p[1], p[0], 255)
            elif bpp == 8:
                xor_row.append(0 if p is None else index[p])
            else:
                nibbles.append(0 if p is None else index[p])
        if bpp == 4:
            for i in range(0, size, 2):
                xor_row.append((nibbles[i] << 4) | nibbles[i + 1])
        while len(xor_row) % 4:
            xor_row.append(0)
        mask = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for bit in mask_bits[i:i + 8]:
                byte = (byte << 1) | bit
            mask.append(byte << (8 - len(mask_bits[i:i + 8])))
        while len(mask) % 4:
            mask.append(0)
        rows_xor.append(bytes(xor_row))
        rows_and.append(bytes(mask))
    colours_used = 16 if bpp == 4 else (256 if bpp == 8 else 0)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(b"".join(rows_xor)) + len(b"".join(rows_and)), 0, 0, colours_used, 0)
    return header + palette + b"".join(rows_xor) + b"".join(rows_and)


def main(path):
    images = [(16, 4), (32, 4), (48, 4), (16, 8), (32, 8), (48, 8), (16, 32), (32, 32), (48, 32), (64, 32)]
    blobs = [dib(s, b) for (s, b) in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bpp), blob in zip(images, blobs):
        colours = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
