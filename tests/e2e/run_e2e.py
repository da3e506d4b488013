#!/usr/bin/python3
# End-to-end scenarios: the real menu program in real windows under Xvfb, natively (Linux, SDL)
# or under Wine, read back through pictures, message boxes and the session file. Prints one line
# per check and "N passed, M failed". Standard library, python3-xlib, xdotool, Xvfb and Wine;
# for the Linux build's screen-reader checks dbus-daemon, at-spi2-core and python3-pyatspi.
import argparse
import contextlib
import os
import shutil
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from build_linux import LinuxBuild  # noqa: E402
from build_wine import WineBuild  # noqa: E402
from kit import Results  # noqa: E402
from scenario_command_line import scenario_command_line  # noqa: E402
from scenario_demo import scenario_demo  # noqa: E402
from scenario_dist import scenario_dist  # noqa: E402
from scenario_interaction import scenario_interaction  # noqa: E402
from scenario_keyboard import scenario_keyboard  # noqa: E402
from scenario_missing_files import scenario_missing_files  # noqa: E402
from scenario_preview import scenario_preview  # noqa: E402
from scenario_restart import scenario_restart  # noqa: E402
from scenario_scale import scenario_scale  # noqa: E402
from xdisplay import Screen, Xvfb  # noqa: E402

BUILDS = {"linux": LinuxBuild, "wine": WineBuild}
# Each scenario is called as body(build, options, results, work), in this order.
SCENARIOS = {"demo menu": scenario_demo, "missing files": scenario_missing_files,
             "command line": scenario_command_line, "interaction": scenario_interaction,
             "keyboard": scenario_keyboard, "scale": scenario_scale,
             "restart": scenario_restart, "dist": scenario_dist, "preview": scenario_preview}


@contextlib.contextmanager
def build_on_own_display(options, work):
    """A display of its own (Xvfb) and the build of options.build on it, both ended after."""
    xvfb = Xvfb()
    screen = Screen(xvfb.name)
    build = None
    try:
        # The pointer rests in the corner, away from the windows, so no item is hovered.
        screen.move_pointer(0, 0)
        build = BUILDS[options.build](options, screen, work)
        yield build
    finally:
        if build is not None:
            build.stop()
        screen.close()
        xvfb.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", choices=("linux", "wine"), required=True)
    parser.add_argument("--quorel", required=True, help="the menu program (quorel or quorel.exe)")
    parser.add_argument("--helper", help="quorel_e2e_helper.exe (Wine only)")
    parser.add_argument("--tool", required=True, help="the Linux quorel-tool")
    parser.add_argument("--marker", help="quorel_e2e_marker.exe (Wine only)")
    parser.add_argument("--windows-tool", help="quorel-tool.exe (Wine only): renders the demo "
                        "for an exact comparison and makes the disc folder")
    parser.add_argument("--planted", help="the library planted beside quorel.exe under system "
                        "libraries' names (Wine only)")
    parser.add_argument("--reload", required=True,
                        help="the built reload program (pindrel or pindrel.exe)")
    parser.add_argument("--only", choices=sorted(SCENARIOS),
                        help="run this scenario alone (each Wine process start is slow)")
    parser.add_argument("--exec-parser",
                        help="quorel_e2e_exec_parser, which reads Exec lines (Linux restart)")
    parser.add_argument("--portable", help="the portable Linux program's folder (for dist)")
    parser.add_argument("--roots", help="the folder of the Debian roots dist starts the portable "
                        "program in (Linux)")
    parser.add_argument("--out", default=None, help="folder for screenshots (default: build/e2e-BUILD)")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()

    missing = [path for path in (options.quorel, options.tool, options.helper, options.marker,
                                 options.planted, options.windows_tool,
                                 options.reload, options.exec_parser)
               if path is not None and not os.path.exists(path)]
    if options.build == "wine":
        missing += [name for name, value in (("--helper", options.helper),
                                             ("--marker", options.marker)) if value is None]
    if missing:
        print("e2e: missing: %s (build them first; the Wine run needs the Linux quorel-tool "
              "from build/linux)" % ", ".join(missing), file=sys.stderr)
        print("0 passed, 1 failed")
        return 1
    options.tool = os.path.abspath(options.tool)
    if options.portable is not None:
        options.portable = os.path.abspath(options.portable)
    if options.marker is not None:
        options.marker = os.path.abspath(options.marker)
    if options.exec_parser is not None:
        options.exec_parser = os.path.abspath(options.exec_parser)
    # Screenshots go under build/ by default, which git ignores.
    options.out = os.path.abspath(options.out or os.path.join(
        os.path.dirname(__file__), "..", "..", "build", "e2e-%s" % options.build))
    os.makedirs(options.out, exist_ok=True)

    results = Results()
    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="quorel-e2e-")
    try:
        with build_on_own_display(options, work) as build:
            for name, body in SCENARIOS.items():
                if options.only in (None, name):
                    results.scenario(name, lambda: body(build, options, results, work))
            build.final_checks(results)
    except Exception as problem:
        results.check("set-up", False, "%s: %s\n%s" % (type(problem).__name__, problem,
                                                      traceback.format_exc()))
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("# %s build: %.0fs; screenshots in %s" % (options.build, time.monotonic() - started,
                                                    options.out))
    print("%d passed, %d failed" % (results.passed, results.failed))
    return 0 if results.failed == 0 and results.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
