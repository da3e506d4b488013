#!/usr/bin/python3
# Start-up time of the menu program in a real window under Xvfb: from starting the process to
# the first complete picture of the demo menu (equal to quorel-tool render; under Wine, whose
# fonts differ, equal outside the text). Prints each run and the median. With --floor (Linux),
# a minimal SDL program that only shows the background is started and timed the same way,
# interleaved with the menu, and the ratio of the medians is printed. Linux runs use the sound
# set-up of the machine, as a user's start does. Not a test: a measurement for the notes. Usage:
#   bench/startup_time.py --build linux --quorel build/linux/quorel --tool build/linux/tools/quorel-tool \
#       --floor build/linux/bench/quorel_startup_floor [--runs 5]
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

import subprocess  # noqa: E402

from pictures import differing_pixels, read_bmp24, read_png  # noqa: E402
from kit import Menu, copy_demo, tool  # noqa: E402
from run_e2e import build_on_own_display  # noqa: E402
from xdisplay import wait_for  # noqa: E402


def one_start(build, start, expected, skip, interval):
    """Seconds from the start of the process to the first picture equal to the expected one."""
    started = time.monotonic()
    menu = start()
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
    skip = build.inexact_rectangles(dump)
    interval = build.picture_poll
    starts = [("menu", lambda: build.start(demo), expected, skip)]
    if options.floor:
        background = os.path.join(demo, "background.bmp")
        floor = os.path.abspath(options.floor)
        starts.append(("floor", lambda: Menu(subprocess.Popen(
            [floor, background], cwd=demo, env=build.environment, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL)), read_bmp24(background), []))
    times = {name: [] for name, _, _, _ in starts}
    for run in range(options.runs):
        for name, start, picture, rects in starts:
            seconds = one_start(build, start, picture, rects, interval)
            # The killed copy's guard is free again once its process is gone.
            times[name].append(seconds)
            print("run %d, %s: %.3f s" % (run + 1, name, seconds), flush=True)
    medians = {name: statistics.median(values) for name, values in times.items()}
    for name, median in medians.items():
        print("%s: %s, start to first complete paint, median of %d: %.3f s" % (
            options.build, name, options.runs, median))
    if "floor" in medians:
        print("%s: menu / floor: %.2f" % (options.build, medians["menu"] / medians["floor"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", choices=("linux", "wine"), required=True)
    parser.add_argument("--quorel", required=True)
    parser.add_argument("--helper")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--floor", help="the floor program (Linux): bench/startup_floor.cpp")
    parser.add_argument("--runs", type=int, default=5)
    options = parser.parse_args()
    options.tool = os.path.abspath(options.tool)

    work = tempfile.mkdtemp(prefix="quorel-startup-")
    try:
        with build_on_own_display(options, work) as build:
            if options.build == "linux":
                # The machine's own sound set-up, not the tests' silent driver.
                build.environment.pop("SDL_AUDIODRIVER", None)
            run_all(build, options, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
