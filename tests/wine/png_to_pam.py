#!/usr/bin/env python3
# Converts the PNG pictures of a folder to RGBA PAM files (one NAME.pam per NAME.png), so the
# Windows test program can read reference pictures without a PNG library. Standard library only.
"""Usage: png_to_pam.py SOURCE_DIR OUTPUT_DIR

8-bit and smaller samples pass unchanged, as libpng's simplified reader gives them for sRGB
pictures. 16-bit and interlaced pictures are left out (named on stderr): a test then finds no
reference rather than one that differs from the Linux reading.
"""
import pathlib
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type


def chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at = 8
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def unfilter(raw, height, stride, step):
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, row = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = row[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            row[i] = (row[i] + (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]) & 0xFF
        rows.append(row)
        previous = row
    return rows


def samples(row, depth, count):
    if depth == 8:
        return list(row[:count])
    per_byte, mask = 8 // depth, (1 << depth) - 1
    return [row[i // per_byte] >> (8 - depth * (i % per_byte + 1)) & mask for i in range(count)]


def decode(data):
    """Returns width, height and RGBA bytes, or None for a picture this converter leaves out."""
    header, palette, transparency, compressed = None, b"", None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            transparency = body
        elif kind == b"IDAT":
            compressed += body
    width, height, depth, colour, _, _, interlace = header
    if depth == 16 or interlace != 0:
        return None
    channels = CHANNELS[colour]
    stride = (width * channels * depth + 7) // 8
    rows = unfilter(zlib.decompress(compressed), height, stride, max(1, channels * depth // 8))
    scale = 255 // ((1 << depth) - 1)  # grey levels below 8 bits are spread over 0..255
    out = bytearray()
    for row in rows:
        values = samples(row, depth, width * channels)
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
                if colour == 2 and transparency and tuple(v) == struct.unpack(">3H", transparency):
                    alpha = 0
                out += bytes(v[:3] + [alpha])
    return width, height, bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    source, output = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    output.mkdir(parents=True, exist_ok=True)
    for path in sorted(source.glob("*.png")):
        picture = decode(path.read_bytes())
        if picture is None:
            print(f"png_to_pam: left out {path.name} (16-bit or interlaced)", file=sys.stderr)
            continue
        width, height, rgba = picture
        head = f"P7\nWIDTH {width}\nHEIGHT {height}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
        (output / (path.stem + ".pam")).write_bytes(head.encode("ascii") + rgba)


if __name__ == "__main__":
    main(sys.argv)
