#!/usr/bin/env python3
# Converts the PNG pictures of a folder to RGBA PAM files (one NAME.pam per NAME.png), so the
# Windows test program can read reference pictures without a PNG library. Standard library only.
"""Usage: png_to_pam.py SOURCE_DIR OUTPUT_DIR

8-bit and smaller samples pass unchanged, as libpng's simplified reader gives them for sRGB
pictures. 16-bit and interlaced pictures are left out (named on stderr): a test then finds no
reference rather than one that differs from the Linux reading.
"""
import pathlib
import sys

# The one PNG decoder of the tests lives with the end-to-end pictures.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from pictures import decode_png  # noqa: E402


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    source, output = pathlib.Path(argv[1]), pathlib.Path(argv[2])
    output.mkdir(parents=True, exist_ok=True)
    for path in sorted(source.glob("*.png")):
        picture = decode_png(path.read_bytes())
        if picture is None:
            print(f"png_to_pam: left out {path.name} (16-bit or interlaced)", file=sys.stderr)
            continue
        width, height, rgba = picture
        head = f"P7\nWIDTH {width}\nHEIGHT {height}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
        (output / (path.stem + ".pam")).write_bytes(head.encode("ascii") + rgba)


if __name__ == "__main__":
    main(sys.argv)
