# Pictures for the end-to-end tests: PNG read/write and 24-bit BMP read/write as plain RGB bytes,
# and comparison of two pictures outside given rectangles. Python standard library only.
import struct
import zlib


class Picture:
    """An RGB picture: width, height and width * height * 3 bytes, top row first."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("picture data does not fit %d x %d" % (width, height))
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def row(self, y):
        return self.rgb[y * self.width * 3:(y + 1) * self.width * 3]


def write_png(path, picture):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    stride = picture.width * 3
    raw = b"".join(b"\0" + picture.rgb[y * stride:(y + 1) * stride]
                   for y in range(picture.height))
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Reads an 8-bit RGB or RGBA PNG without interlacing (what the tools write)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG file" % path)
    at, idat, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        at += 12 + length
    width, height, depth, color, _, _, interlace = header
    if depth != 8 or color not in (2, 6) or interlace != 0:
        raise ValueError("%s: only 8-bit RGB/RGBA PNG without interlacing is read" % path)
    channels = 3 if color == 2 else 4
    stride = width * channels
    raw = zlib.decompress(b"".join(idat))
    out = bytearray()
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, upper_left)) & 255
        previous = line
        if channels == 3:
            out += line
        else:
            rgb = bytearray(width * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
            out += rgb
    return Picture(width, height, out)


def read_bmp24(path):
    """Reads an uncompressed 24-bit Windows bitmap (bottom-up or top-down)."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        raise ValueError("%s is not an uncompressed 24-bit bitmap" % path)
    rows = abs(height)
    stride = (width * 3 + 3) & ~3
    out = bytearray()
    for y in range(rows):
        source = rows - 1 - y if height > 0 else y
        line = data[offset + source * stride:offset + source * stride + width * 3]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::3], line[1::3], line[0::3]
        out += rgb
    return Picture(width, abs(height), out)


def write_bmp24(path, picture):
    """Writes an uncompressed bottom-up 24-bit Windows bitmap."""
    stride = (picture.width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(picture.height)):
        line = picture.row(y)
        bgr = bytearray(len(line))
        bgr[0::3], bgr[1::3], bgr[2::3] = line[2::3], line[1::3], line[0::3]
        rows.append(bytes(bgr) + b"\0" * (stride - len(line)))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


def crop(picture, left, top, width, height):
    """The part of picture from left, top of width x height pixels."""
    rows = [picture.row(y)[left * 3:(left + width) * 3] for y in range(top, top + height)]
    return Picture(width, height, b"".join(rows))


def enlarge(picture, factor):
    """picture with each pixel a factor x factor block (nearest neighbour)."""
    rows = []
    for y in range(picture.height):
        row = picture.row(y)
        wide = b"".join(row[x * 3:x * 3 + 3] * factor for x in range(picture.width))
        rows.extend([wide] * factor)
    return Picture(picture.width * factor, picture.height * factor, b"".join(rows))


def differing_pixels(a, b, skip=(), limit=None):
    """Points (x, y) where a and b differ, outside the rectangles in skip, each given as
    (left, top, right, bottom) with all four bounds inside. Stops after limit points."""
    if (a.width, a.height) != (b.width, b.height):
        raise ValueError("pictures differ in size: %dx%d and %dx%d" %
                         (a.width, a.height, b.width, b.height))
    found = []
    for y in range(a.height):
        row_a, row_b = a.row(y), b.row(y)
        if row_a == row_b:
            continue
        for x in range(a.width):
            if row_a[x * 3:x * 3 + 3] == row_b[x * 3:x * 3 + 3]:
                continue
            if any(l <= x <= r and t <= y <= btm for l, t, r, btm in skip):
                continue
            found.append((x, y))
            if limit is not None and len(found) >= limit:
                return found
    return found


def count_inside(a, b, rect):
    """How many pixels differ between a and b inside rect (left, top, right, bottom)."""
    left, top, right, bottom = rect
    count = 0
    for y in range(max(top, 0), min(bottom, a.height - 1) + 1):
        for x in range(max(left, 0), min(right, a.width - 1) + 1):
            if a.pixel(x, y) != b.pixel(x, y):
                count += 1
    return count
