"""pictures.py: the little the browser tests need of PNG and of comparing
pictures, in plain python (zlib): 8-bit RGB and RGBA PNGs read, RGB PNGs
written, and the pixels two pictures differ in counted.

Left out: palettes, grey, 16-bit channels, interlacing (neither render_frame
nor the browser's screenshots write them).
"""

import struct
import zlib


class Picture:
    """RGB pixels, top row first."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @classmethod
    def from_rgba(cls, width, height, rgba, bottom_up=False):
        rows = [rgba[y * width * 4:(y + 1) * width * 4] for y in range(height)]
        if bottom_up:
            rows.reverse()
        rgba = b"".join(rows)
        rgb = bytearray(width * height * 3)
        for c in range(3):
            rgb[c::3] = rgba[c::4]
        return cls(width, height, rgb)

    def crop(self, width, height, x=0, y=0):
        """The width x height part whose top-left is (x, y)."""
        rgb = b"".join(self.rgb[(row * self.width + x) * 3:(row * self.width + x + width) * 3]
                       for row in range(y, y + height))
        return Picture(width, height, rgb)

    def pixel(self, x, y):
        """(r, g, b) at (x, y)."""
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"unsupported PNG (depth {depth}, colour type {colour}, interlace {interlace})")
    channels = 4 if colour == 6 else 3
    stride = width * channels
    raw = zlib.decompress(idat)
    out = bytearray()
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            predictor = (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]
            row[i] = (row[i] + predictor) & 0xFF
        out += row
        previous = row
    if channels == 4:
        return Picture.from_rgba(width, height, out)
    return Picture(width, height, out)


def write_png(picture, path):
    rows = b"".join(b"\x00" + picture.rgb[y * picture.width * 3:(y + 1) * picture.width * 3]
                    for y in range(picture.height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
                + chunk(b"IEND", b""))


def differing(a, b, tolerance):
    """How many pixels have a channel more than tolerance apart, and the
    largest difference seen in any channel."""
    if (a.width, a.height) != (b.width, b.height):
        raise ValueError(f"sizes differ: {a.width} x {a.height} against {b.width} x {b.height}")
    count, worst = 0, 0
    for p in range(0, len(a.rgb), 3):
        d = max(abs(a.rgb[p] - b.rgb[p]), abs(a.rgb[p + 1] - b.rgb[p + 1]), abs(a.rgb[p + 2] - b.rgb[p + 2]))
        worst = max(worst, d)
        if d > tolerance:
            count += 1
    return count, worst
