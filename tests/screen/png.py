"""A PNG's pixels, as DevTools' screenshots come (8-bit RGB or RGBA, not interlaced): no package
needed."""

import struct
import zlib


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(kind, line, prior, bpp):
    if kind == 0:
        return line
    if kind == 2:
        return bytearray((x + y) & 255 for x, y in zip(line, prior))
    out = bytearray(line)
    for i in range(len(out)):
        a = out[i - bpp] if i >= bpp else 0
        if kind == 1:
            out[i] = (out[i] + a) & 255
        elif kind == 3:
            out[i] = (out[i] + ((a + prior[i]) >> 1)) & 255
        else:
            c = prior[i - bpp] if i >= bpp else 0
            out[i] = (out[i] + _paeth(a, prior[i], c)) & 255
    return out


def decode(data):
    """(width, height, rows): each row a bytearray of (r, g, b) triples."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, head = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = head
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("a PNG of a kind the screenshots never are")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    rows, prior = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        line = _unfilter(raw[start], raw[start + 1:start + 1 + stride], prior, bpp)
        prior = line
        rows.append(line if bpp == 3 else bytearray(v for i, v in enumerate(line) if i % 4 != 3))
    return width, height, rows
