#!/usr/bin/env python3
"""Checks that an 8-bit RGB PNG (as parvolex-view writes it) has the given size and that every
pixel is one colour. Usage: png_check.py FILE WIDTH HEIGHT RRGGBB"""
import struct, sys, zlib

def read_png(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    at, idat, width, height = 8, b'', 0, 0
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
            assert depth == 8 and colour == 2, 'expected 8-bit RGB'
        elif kind == b'IDAT':
            idat += body
        at += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b, c = prev[i], prev[i - 3] if i >= 3 else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line); prev = line
    return width, height, rows

w, h, rows = read_png(sys.argv[1])
want = bytes.fromhex(sys.argv[4])
if (w, h) != (int(sys.argv[2]), int(sys.argv[3])):
    sys.exit(f'size {w}x{h}')
bad = sum(1 for r in rows for x in range(w) if bytes(r[x * 3:x * 3 + 3]) != want)
if bad:
    sys.exit(f'{bad} pixels differ from {sys.argv[4]}')
