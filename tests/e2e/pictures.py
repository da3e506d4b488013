# Pictures for the end-to-end tests: PNG read/write and 24-bit BMP read/write as plain RGB bytes,
# and comparison of two pictures outside given rectangles. tests/wine/png_to_pam.py decodes its
# PNG files here too. Python standard library only.
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


PNG_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type


def _png_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at = 8
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, height, stride, step):
    """The rows of a non-interlaced image, filters undone; step: bytes per pixel (at least 1)."""
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if len(line) != stride or kind > 4:
            raise ValueError("PNG data ends early or has an unknown filter")
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                upper_left = previous[i - step] if i >= step else 0
                line[i] = (line[i] + _paeth(left, up, upper_left)) & 255
        rows.append(line)
        previous = line
    return rows


def _samples(row, depth, count):
    if depth == 8:
        return list(row[:count])
    per_byte, mask = 8 // depth, (1 << depth) - 1
    return [row[i // per_byte] >> (8 - depth * (i % per_byte + 1)) & mask for i in range(count)]


def decode_png(data):
    """Width, height and RGBA bytes (top row first) of a PNG file's bytes, or None for 16-bit
    and interlaced pictures. Samples of 8 bits and fewer pass unchanged, grey levels below 8
    bits spread over 0..255."""
    header, palette, transparency, compressed = None, b"", None, []
    for kind, body in _png_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            transparency = body
        elif kind == b"IDAT":
            compressed.append(body)
    if header is None or header[3] not in PNG_CHANNELS:
        raise ValueError("no PNG header or an unknown colour type")
    width, height, depth, colour, _, _, interlace = header
    if depth == 16 or interlace != 0:
        return None
    channels = PNG_CHANNELS[colour]
    stride = (width * channels * depth + 7) // 8
    rows = _unfilter(zlib.decompress(b"".join(compressed)), height, stride,
                     max(1, channels * depth // 8))
    out = bytearray()
    if depth == 8 and colour == 6:
        return width, height, bytes(b"".join(rows))
    if depth == 8 and colour == 2 and transparency is None:
        for row in rows:
            rgba = bytearray(b"\xff" * (width * 4))
            rgba[0::4], rgba[1::4], rgba[2::4] = row[0::3], row[1::3], row[2::3]
            out += rgba
        return width, height, bytes(out)
    scale = 255 // ((1 << depth) - 1)
    for row in rows:
        values = _samples(row, depth, width * channels)
        for x in range(width):
            v = values[x * channels:(x + 1) * channels]
            if colour == 3:
                alpha = transparency[v[0]] if transparency and v[0] < len(transparency) else 255
                out += palette[3 * v[0]:3 * v[0] + 3] + bytes([alpha])
            elif colour in (0, 4):
                alpha = v[1] if colour == 4 else 255
                if colour == 0 and transparency and v[0] == struct.unpack(">H", transparency)[0]:
                    alpha = 0
                out += bytes([v[0] * scale] * 3 + [alpha])
            else:
                alpha = v[3] if colour == 6 else 255
                if colour == 2 and transparency and tuple(v) == struct.unpack(">3H",
                                                                             transparency):
                    alpha = 0
                out += bytes(v[:3] + [alpha])
    return width, height, bytes(out)


def read_png(path):
    """Reads a PNG file without interlacing and of at most 8 bits a sample, alpha dropped."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        decoded = decode_png(data)
    except ValueError as problem:
        raise ValueError("%s: %s" % (path, problem))
    if decoded is None:
        raise ValueError("%s: 16-bit or interlaced PNG is not read" % path)
    width, height, rgba = decoded
    rgb = bytearray(width * height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return Picture(width, height, rgb)


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
