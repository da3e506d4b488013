#!/usr/bin/python3
# Start-up time of the menu program in a real window under Xvfb: from starting the process to
# the first complete picture of the demo menu (equal to quorel-tool render; under Wine, whose
# fonts differ, equal outside the text). Prints each run and the median. Not a test: a
# measurement for the notes. Usage:
#   bench/startup_time.py --build linux --quorel build/linux/quorel --tool build/linux/tools/quorel-tool [--runs 5]
#   bench/startup_time.py --build wine --quorel build/win32/quorel.exe \
#       --helper build/win32/tests/quorel_e2e_helper.exe --tool build/linux/tools/quorel-tool --runs 1
import argparse
import json
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from pictures import differing_pixels, read_png  # noqa: E402
from run_e2e import build_on_own_display, copy_demo, text_rectangles, tool  # noqa: E402
from xdisplay import wait_for  # noqa: E402


def one_start(build, demo, expected, skip, interval):
    """Seconds from the start of the process to the first picture equal to the expected one."""
    started = time.monotonic()
    menu = build.start(demo)
    try:
        window = build.wait_main(menu)

        def complete():
            picture = build.screen.picture(window)
            return ((picture.width, picture.height) == (expected.width, expected.height) and
                    not differing_pixels(picture, expected, skip, limit=1))

        wait_for("the complete picture", complete, build.start_timeout, interval)
        return time.monotonic() - started
    finally:
        menu.kill()


def run_all(build, options, work):
    demo = copy_demo(work, "demo")
    dump = json.loads(tool(build, options, demo, "dump", "Quorel.ini"))
    reference = os.path.join(work, "expected.png")
    tool(build, options, demo, "render", "Quorel.ini", "-o", reference)
    expected = read_png(reference)
    skip = [] if build.exact_pictures else [rect for _, rect in text_rectangles(dump)]
    interval = 0.005 if build.exact_pictures else 0.2
    times = []
    for run in range(options.runs):
        seconds = one_start(build, demo, expected, skip, interval)
        # The killed copy's guard is free again once its process is gone.
        times.append(seconds)
        print("run %d: %.3f s" % (run + 1, seconds), flush=True)
    print("%s: start to first complete paint, median of %d: %.3f s" % (
        options.build, len(times), statistics.median(times)))



def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", choices=("linux", "wine"), required=True)
    parser.add_argument("--quorel", required=True)
    parser.add_argument("--helper")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--runs", type=int, default=5)
    options = parser.parse_args()
    options.tool = os.path.abspath(options.tool)

    work = tempfile.mkdtemp(prefix="quorel-startup-")
    try:
        with build_on_own_display(options, work) as build:
            run_all(build, options, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
