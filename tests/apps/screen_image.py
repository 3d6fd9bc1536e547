"""Screen images without an imaging library: X window dumps (xwd) read, PNG read and written.

    screen_image.py DUMP.xwd OUT.png   a window dump as PNG
"""
import struct
import sys
import zlib


class Picture:
    """Rows of (r, g, b) tuples."""

    def __init__(self, width, height, pixel):
        self.width = width
        self.height = height
        self.rows = [[pixel(x, y) for x in range(width)] for y in range(height)]

    def at(self, x, y):
        return self.rows[y][x]

    def crop(self, left, top, width, height):
        return Picture(width, height, lambda x, y: self.rows[top + y][left + x])


def read_xwd(path):
    data = open(path, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, _depth, width, height = header[:6]
    byte_order = header[7]
    bits_per_pixel, stride = header[11], header[12]
    ncolors = header[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel != 32:
        raise SystemExit(f"unsupported dump: version {version} format {pixmap_format} bpp {bits_per_pixel}")
    pixels = data[header_size + ncolors * 12:]

    def pixel(x, y):
        b0, b1, b2, b3 = pixels[y * stride + 4 * x:y * stride + 4 * x + 4]
        return (b2, b1, b0) if byte_order == 0 else (b1, b2, b3)

    return Picture(width, height, pixel)


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return Picture(width, height, lambda x, y: tuple(rows[y][x * channels:x * channels + 3]))


def write_png(picture, path):
    raw = bytearray()
    for row in picture.rows:
        raw.append(0)
        for r, g, b in row:
            raw.extend((r, g, b))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0))
    open(path, "wb").write(png + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png(read_xwd(sys.argv[1]), sys.argv[2])
