#!/usr/bin/env python3
"""Draws the installer's icon, src/resources/app.ico: an open book on a blue tile with a red bookmark.
Five images: 32x32 and 16x16 in 16 colours, 48x48 in 256, and for display scales of 200 % and 300 % 64x64 and 96x96 as
PNG (which Windows reads in icons since Vista; smaller by far than bitmaps).   python3 tools/make_icon.py OUT"""
import struct
import sys
import zlib

PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
             (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
             (0, 255, 255), (255, 255, 255)]
BLUE, WHITE, GREY, RED, BLACK, NAVY = 12, 15, 8, 9, 0, 4


def picture(n):
    """Colour index (16-colour palette) or None for transparent, per pixel, top row first."""
    px = [[None] * n for _ in range(n)]
    s = n / 32.0
    for y in range(n):
        for x in range(n):
            fx, fy = x / s, y / s
            if 1 <= fx < 31 and 1 <= fy < 31:
                corner = min(fx - 1, 30 - fx) + min(fy - 1, 30 - fy)
                if corner >= 2:
                    px[y][x] = NAVY if (fx < 2 or fx >= 30 or fy < 2 or fy >= 30) else BLUE
            if 5 <= fy < 26 and 4 <= fx < 28:  # the two pages
                page = WHITE
                if abs(fx - 16) < 1:
                    page = GREY
                elif (int(fy) % 4 == 1) and (7 <= fx < 14 or 18 <= fx < 26) and fy < 23:
                    page = GREY  # lines of text
                px[y][x] = page
            if 20 <= fx < 23 and 3 <= fy < 12 + (0 if abs(fx - 21.5) < 1 else -1):
                px[y][x] = RED
    return px


def image(n, bits):
    px = picture(n)
    palette = PALETTE16 + [(0, 0, 0)] * (256 - 16) if bits == 8 else PALETTE16
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, bits, 0, 0, 0, 0, len(palette), 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor = b''
    row_bytes = ((n * bits + 31) // 32) * 4
    for y in reversed(range(n)):
        row = bytearray()
        if bits == 4:
            for x in range(0, n, 2):
                a, b = (px[y][x] or 0), (px[y][x + 1] or 0)
                row.append(a << 4 | b)
        else:
            row.extend((p or 0) for p in px[y])
        xor += bytes(row) + b'\0' * (row_bytes - len(row))
    mask_row = ((n + 31) // 32) * 4
    andm = b''
    for y in reversed(range(n)):
        row = bytearray(mask_row)
        for x in range(n):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += bytes(row)
    return header + pal + xor + andm, len(palette)


def png(n):
    """The picture as a PNG with a palette of the 16 colours and a seventeenth, transparent."""
    px = picture(n)
    raw = b''.join(b'\0' + bytes(16 if p is None else p for p in row) for row in px)
    chunk = lambda kind, data: struct.pack('>I', len(data)) + kind + data + \
        struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    blob = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 3, 0, 0, 0))
    blob += chunk(b'PLTE', b''.join(bytes(c) for c in PALETTE16 + [(0, 0, 0)]))
    blob += chunk(b'tRNS', b'\xff' * 16 + b'\0') + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    return blob, 0


def main(out):
    specs = [(32, 4), (48, 8), (16, 4), (64, 8), (96, 8)]
    images = [image(n, bits) if n < 64 else png(n) for n, bits in specs]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (n, bits), (blob, colours) in zip(specs, images):
        data += struct.pack('<BBBBHHII', n, n, colours if 0 < colours < 256 else 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    data += b''.join(blob for blob, _ in images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1])
