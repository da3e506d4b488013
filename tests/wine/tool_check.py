#!/usr/bin/env python3
# quorel-tool.exe under Wine, four runs: check of one broken menu as JSON (from its folder, a
# relative name), check of another in the human form (a full Windows path with backslashes and
# a folder named in the code page), dist --iso, which the Windows tool refuses before it copies
# anything, and render --all of the demo, whose contact sheet GDI draws. (render and dist to a
# folder are in the e2e_wine run, next to quorel.exe's window.)
"""Usage: tool_check.py WINE_RUN QUOREL_TOOL_EXE BROKEN_DIR DEMO_DIR SCRATCH_DIR"""
import glob
import json
import os
import re
import shutil
import subprocess
import sys

# The one PNG decoder of the tests lives with the end-to-end pictures.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from pictures import read_png  # noqa: E402


def run(wine_run, tool, arguments, cwd):
    result = subprocess.run([wine_run, tool] + arguments, cwd=cwd, capture_output=True,
                            encoding="utf-8", errors="replace", timeout=900)
    print("$ quorel-tool.exe %s  (exit %d)\n%s%s" % (" ".join(arguments), result.returncode,
                                                     result.stdout, result.stderr))
    return result


def expected(folder):
    """The findings the menu's expected.txt lists as (file, line, severity, code), and the exit
    code their worst severity calls for."""
    findings = set()
    with open(os.path.join(folder, "expected.txt")) as f:
        for line in filter(None, (raw.strip() for raw in f)):
            file, number, severity, code = re.fullmatch(r"(.+):(\d+): (\w+): (.+)", line).groups()
            findings.add((file, int(number), severity, code))
    severities = {f[2] for f in findings}
    return findings, 2 if "error" in severities else 1 if "warning" in severities else 0


def main(argv):
    if len(argv) != 6:
        sys.exit(__doc__)
    wine_run, tool, broken, demo, scratch = map(os.path.abspath, argv[1:])
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    try:
        return runs(wine_run, tool, broken, demo, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def block_mean(picture, x, y, factor):
    """The rounded mean colour of the factor x factor block at x, y, as (r, g, b)."""
    sums = [0, 0, 0]
    for dy in range(factor):
        at = ((y + dy) * picture.width + x) * 3
        for c in range(3):
            sums[c] += sum(picture.rgb[at + c:at + factor * 3:3])
    n = factor * factor
    return tuple((s + n // 2) // n for s in sums)


def runs(wine_run, tool, broken, demo, scratch):
    failures = []

    def check(name, ok, detail=""):
        print("%s: %s%s" % ("ok" if ok else "FAILED", name, "" if ok else " -- " + detail))
        if not ok:
            failures.append(name)

    # JSON from the menu's folder; the Windows tool names files with backslashes.
    links = os.path.join(broken, "links")
    want, code = expected(links)
    result = run(wine_run, tool, ["check", "Quorel.ini", "--json", "--verbose"], links)
    try:
        got = {(f["file"].replace("\\", "/"), f["line"], f["severity"], f["code"])
               for f in json.loads(result.stdout)}
    except (ValueError, KeyError, TypeError) as problem:
        got = {"unreadable JSON: %s" % problem}
    check("check --json: the findings of expected.txt", got == want,
          "got %r, expected %r" % (sorted(got), sorted(want)))
    check("check --json: exit code %d" % code, result.returncode == code, str(result.returncode))

    # The human form, given a full Windows path with a letter beyond ASCII: file:line:
    # severity: message (notes only with --verbose), then a summary.
    missing = os.path.join(scratch, "Men\u00fc")
    shutil.copytree(os.path.join(broken, "missing_files"), missing)
    shutil.copy(os.path.join(broken, "background.bmp"), scratch)  # it names ..\background.bmp
    want, code = expected(missing)
    path = "Z:" + os.path.join(missing, "Quorel.ini").replace("/", "\\")
    result = run(wine_run, tool, ["check", path], scratch)
    lines = result.stdout.splitlines()
    found = set()
    for line in lines[:-1]:
        match = re.fullmatch(r"(.+):(\d+): (error|warning): .+", line)
        found.add((match.group(1), int(match.group(2)), match.group(3)) if match else line)
    check("check FILE: Windows path:line: severity: message per finding",
          found == {(path, f[1], f[2]) for f in want if f[2] != "note"},
          "got %r" % sorted(found, key=str))
    check("check FILE: the summary last", bool(lines) and re.fullmatch(
        r"\d+ errors?, \d+ warnings? in 1 file", lines[-1]) is not None, repr(lines[-1:]))
    check("check FILE: exit code %d" % code, result.returncode == code, str(result.returncode))

    # No ISO image on Windows: refused up front, nothing made.
    out = os.path.join(scratch, "disc")
    result = run(wine_run, tool, ["dist", missing, out, "--iso", "disc.iso"], scratch)
    check("dist --iso: refused with exit code 1, naming the Linux tool and burning programs",
          result.returncode == 1 and "Linux quorel-tool" in result.stderr
          and "disc-burning program" in result.stderr, result.stderr)
    check("dist --iso: nothing copied", not os.path.exists(out) and not os.path.exists(
        os.path.join(scratch, "disc.iso")), repr(os.listdir(scratch)))

    # render --all: the pages, and the sheet whose first thumbnail (at 8, 8, a quarter of the
    # first page's size) holds the page's block means.
    pages = os.path.join(scratch, "pages")
    result = run(wine_run, tool, ["render", "--all", "pages", os.path.join(demo, "Quorel.ini")],
                 scratch)
    first = sorted(glob.glob(os.path.join(pages, "Quorel.ini-default-*-p0.png")))
    sheet_path = os.path.join(pages, "contact-sheet.png")
    check("render --all: exit 0, the pages and the contact sheet", result.returncode == 0 and
          len(first) == 1 and os.path.isfile(sheet_path), result.stderr)
    if first and os.path.isfile(sheet_path):
        page, sheet = read_png(first[0]), read_png(sheet_path)
        def thumbnail(x, y):
            at = ((8 + y) * sheet.width + 8 + x) * 3
            return tuple(sheet.rgb[at:at + 3])

        differ = [(x, y) for y in range(page.height // 4) for x in range(page.width // 4)
                  if block_mean(page, 4 * x, 4 * y, 4) != thumbnail(x, y)]
        check("render --all: the first thumbnail is the first page shrunk", not differ,
              "%d pixels differ, first %r" % (len(differ), differ[:1]))

    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
