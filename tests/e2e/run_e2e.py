#!/usr/bin/python3
# End-to-end scenarios: the real menu program in real windows under Xvfb, natively (Linux, SDL)
# or under Wine, read back through pictures, message boxes and the session file. Prints one line
# per check and "N passed, M failed". Standard library, python3-xlib, xdotool, Xvfb and Wine.
import argparse
import configparser
import contextlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from pictures import (count_inside, crop, differing_pixels, enlarge, read_bmp24,  # noqa: E402
                      read_png, write_bmp24, write_png)
from xdisplay import Screen, Xvfb, repeat_until, wait_for  # noqa: E402
import scenario_dist  # noqa: E402
import scenario_restart  # noqa: E402

DEMO = os.path.normpath(os.path.join(HERE, "..", "..", "demo"))
APP_TITLE = "Quorel"
ABOUT_TEXT = "Quorel Version 1.0"
SESSION_FILE = "quorel~.tmp"


# --- results ---------------------------------------------------------------------------------

class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok   %s" % name, flush=True)
        else:
            self.failed += 1
            print("FAIL %s%s" % (name, ": " + detail if detail else ""), flush=True)
        return ok

    def scenario(self, name, body):
        """Runs one scenario; an exception fails it with its message and the rest go on."""
        print("# %s" % name, flush=True)
        start = time.monotonic()
        try:
            body()
        except Exception as problem:  # report and go on with the next scenario
            detail = "%s: %s" % (type(problem).__name__, problem)
            if not isinstance(problem, (TimeoutError, AssertionError)):
                detail += "\n" + traceback.format_exc()
            self.check("%s (completed)" % name, False, detail)
        print("# %s took %.0fs" % (name, time.monotonic() - start), flush=True)


# --- the programs ----------------------------------------------------------------------------

class Menu:
    """One started menu process and its main window once found."""

    def __init__(self, process, log=None):
        self.process = process
        self.log = log  # where its standard error goes
        self.window = None  # xdisplay.Window
        self.hwnd = None  # the helper's window line (Wine)

    def running(self):
        return self.process.poll() is None

    def exit_code(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError("the menu process did not end within %gs" % timeout)

    def errors(self, lines=12):
        """The end of what the process wrote to standard error, for failure reports."""
        if self.log is None or not os.path.exists(self.log):
            return ""
        with open(self.log, errors="replace") as f:
            tail = [line.rstrip() for line in f.readlines()[-lines:]]
        return ("; its standard error ends:\n    " + "\n    ".join(tail)) if tail else ""

    def children(self):
        """The process ids of the menu process's children (Linux)."""
        found = []
        try:
            for task in os.listdir("/proc/%d/task" % self.process.pid):
                with open("/proc/%d/task/%s/children" % (self.process.pid, task)) as f:
                    found += f.read().split()
        except OSError:
            pass  # ended meanwhile
        return found

    def ended(self):
        """Raises when the process has ended: nothing it should show will come."""
        if self.process.poll() is not None:
            raise AssertionError("the menu process ended with %d" % self.process.returncode)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class LinuxBuild:
    """The native program: SDL windows and message boxes; box texts come from X RECORD."""

    name = "linux"
    start_timeout = 30
    box_timeout = 20
    exact_pictures = True

    def __init__(self, options, screen, work):
        from xtext import TextRecorder
        self.program = os.path.abspath(options.quorel)
        self.screen = screen
        self.work = work
        self.starts = 0
        self.text = TextRecorder(screen.name)
        self.windows_dir = os.path.join(work, "windir")
        config = os.path.join(work, "config")
        runtime = os.path.join(work, "runtime")
        home = os.path.join(work, "home")
        for folder in (config, runtime, home):
            os.makedirs(folder, mode=0o700)
        self.autostart = os.path.join(config, "autostart", "QuorelReload.desktop")
        self.reload_program = os.path.join(self.windows_dir, "pindrel")
        # Nothing of the run lands in the user's home, state or runtime folders.
        self.environment = dict(os.environ, DISPLAY=screen.name, QUOREL_WINDIR=self.windows_dir,
                                XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, HOME=home,
                                XDG_STATE_HOME=os.path.join(home, "state"),
                                SDL_AUDIODRIVER="dummy")
        # In the sanitizer build, leaks inside system libraries are not the program's.
        leak_options = [os.environ.get("LSAN_OPTIONS", ""),
                        "suppressions=" + os.path.join(HERE, "lsan.supp")]
        self.environment["LSAN_OPTIONS"] = ":".join(o for o in leak_options if o)
        self.tool_environment = self.environment

    def stop(self):
        self.text.stop()

    def session_path(self):
        return os.path.join(self.windows_dir, SESSION_FILE)

    def path_text(self, path):
        return path

    def same_path(self, a, b):
        return a == b

    def start(self, cwd, arguments=()):
        self.text.clear()
        self.starts += 1
        log = os.path.join(self.work, "menu-%d.log" % self.starts)
        with open(log, "wb") as errors:
            return Menu(subprocess.Popen([self.program] + list(arguments), cwd=cwd,
                                         env=self.environment, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=errors), log)

    def wait_main(self, menu, timeout=None):
        """The menu's window: the one window that carries the process id (its caption is the
        menu's title)."""
        pid = menu.process.pid

        def shown():
            menu.ended()
            return self.screen.find(pid=pid)

        menu.window = wait_for("the menu window of pid %d" % pid, shown,
                               timeout or self.start_timeout)[-1]
        return menu.window

    def wait_box(self, caption, text, owner, exclude=(), timeout=None):
        """A message box of the menu process owner with this caption and text. SDL boxes run in
        a child process and carry no pid; their text is read from what the box draws."""
        timeout = timeout or self.box_timeout

        def shown():
            owner.ended()
            return text in self.text.joined() and self.screen.find(name=caption,
                                                                   exclude=exclude)

        return wait_for("a box captioned %r saying %r" % (caption, text), shown, timeout)[-1]

    def answer(self, box, button):
        """Return answers the first button (Yes or OK), Escape the No button. The key goes only
        to the box once it is mapped and has the focus, and again while the box stays."""
        key = "Escape" if button == "No" else "Return"
        self.text.clear()
        repeat_until("the box %r to close after %s" % (box.name, key),
                     lambda: self.screen.keys(box, key),
                     lambda: not self.screen.exists(box.xid), self.box_timeout)

    def open_about(self, menu):
        """Alt+/ on the menu window. Sent again only while the menu shows no box and has no
        box on its way (SDL draws its boxes in a child process), so two boxes never come."""
        def box_shown():
            return self.text.joined() and self.screen.find(name="About",
                                                           exclude=(menu.window.xid,))

        def send():
            if not menu.children():
                self.screen.keys(menu.window, "alt+slash")

        repeat_until("the About box", send, lambda: box_shown() or menu.ended(),
                     self.box_timeout, pause=5.0)
        return self.wait_box("About", ABOUT_TEXT, menu, exclude=(menu.window.xid,))

    def restart_recovery(self):
        """Which parts of the restart recovery exist: session file, reload program, log-on
        entry."""
        return {"session file": os.path.exists(self.session_path()),
                "reload program": os.path.exists(self.reload_program),
                "log-on entry": os.path.exists(self.autostart)}


class WineBuild:
    """The Windows program under Wine; its boxes are read and answered by the window helper."""

    name = "wine"
    start_timeout = 900
    box_timeout = 300
    exact_pictures = False

    def __init__(self, options, screen, work):
        from wine import WinePrefix, WindowHelper, windows_path
        self.windows_path = windows_path
        self.screen = screen
        self.program = os.path.abspath(options.quorel)
        self.prefix = WinePrefix(screen.name)
        self.helper = None
        try:
            self.helper = WindowHelper(self.prefix, os.path.abspath(options.helper))
            # The country the program will read, so the tool picks the same texts.
            country = self.prefix.registry_value("HKCU\\Control Panel\\International",
                                                 "iCountry")
            # A copy running elsewhere in this prefix holds the named mutex: every start here
            # would only say "already running".
            others = self.helper.find(class_name="QUOREL")
            if others:
                raise RuntimeError("another Quorel runs in the Wine prefix %s (%r); end it or "
                                   "set QUOREL_WINEPREFIX" % (self.prefix.path, others))
        except BaseException:
            self.stop()
            raise
        self.tool_environment = dict(os.environ, QUOREL_WINDIR=os.path.join(work, "tool-windir"))
        if country is not None and country.strip().isdigit():
            self.tool_environment["QUOREL_COUNTRY"] = country.strip()
        self.windows_dir = self.prefix.windows_dir
        self.reload_program = os.path.join(self.windows_dir, "pindrel.exe")

    def stop(self):
        if self.helper is not None:
            self.helper.stop()
        self.prefix.stop()

    def session_path(self):
        return os.path.join(self.windows_dir, SESSION_FILE)

    def path_text(self, path):
        return self.windows_path(path)

    def same_path(self, a, b):
        return a.lower() == b.lower()

    def start(self, cwd, arguments=()):
        return Menu(self.prefix.start(self.program, arguments, cwd=cwd))

    def wait_main(self, menu, timeout=None):
        """The X window that Wine made for the client area (it carries the process id), and the
        helper's line of the same window."""
        pid = menu.process.pid

        def shown():
            menu.ended()
            return self.screen.find(pid=pid)

        menu.window = wait_for("the menu window of pid %d" % pid, shown,
                               timeout or self.start_timeout, 0.5)[-1]

        def listed():
            # The X window is looked at again each time: its name and size may still change
            # after it first appears, and a stale snapshot would never match.
            current = shown()
            if not current:
                return []
            menu.window = current[-1]
            size = (menu.window.width, menu.window.height)
            return [w for w in self.helper.find(class_name="QUOREL", caption=menu.window.name)
                    if (w.width, w.height) == size]

        menu.hwnd = wait_for("the menu window in the window helper's list", listed,
                             timeout or self.start_timeout, 0.5)[-1]
        return menu.window

    def wait_box(self, caption, text, owner, exclude=(), timeout=None):
        def shown():
            owner.ended()
            return self.helper.find(class_name="#32770", caption=caption, child=text)

        return wait_for("a box captioned %r saying %r" % (caption, text), shown,
                        timeout or self.box_timeout, 0.5)[-1]

    def answer(self, box, button):
        """The helper presses the button (BM_CLICK), again while the box stays."""
        def press():
            answer = self.helper.click(box, button)
            if answer not in ("ok", "missing"):  # missing: closed meanwhile
                raise AssertionError("the helper could not press %r: %s" % (button, answer))

        repeat_until("the box %r to close" % box.caption, press, lambda: self.helper.gone(box),
                     self.box_timeout, pause=20.0, interval=0.5)

    def open_about(self, menu):
        """Alt+/ as keys: they reach a Wine window after a pointer click on it, with the
        pointer at rest a moment before the button goes down."""
        window = menu.window
        for attempt, rest in enumerate((0.5, 1.5, 3.0), 1):
            self.screen.move_pointer(window.x + 5, window.y + 5)
            time.sleep(rest)  # part of the gesture Wine needs, not a wait for a state
            self.screen.click()
            self.screen.press("alt+slash")
            try:
                box = self.wait_box("About", ABOUT_TEXT, menu, timeout=30)
                print("# the About box came after click and keys number %d" % attempt)
                return box
            except TimeoutError:
                continue
        raise TimeoutError("Alt+/ did not open the About box after three clicks and keys")

    def restart_recovery(self):
        value = self.prefix.registry_value(
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "QuorelReload")
        return {"session file": os.path.exists(self.session_path()),
                "reload program": os.path.exists(self.reload_program),
                "log-on entry": value is not None}


# --- helpers for the scenarios ---------------------------------------------------------------

def copy_demo(work, name):
    target = os.path.join(work, name)
    shutil.copytree(DEMO, target)
    return target


def tool(build, options, folder, *arguments):
    result = subprocess.run([options.tool] + list(arguments), cwd=folder,
                            env=build.tool_environment, capture_output=True, text=True,
                            timeout=120)
    if result.returncode != 0:
        raise AssertionError("quorel-tool %s failed: %s" % (" ".join(arguments), result.stderr))
    return result.stdout


def text_rectangles(dump):
    """Where the menu draws text, from quorel-tool's dump, widened so that another build's fonts
    and shadows stay inside: the title band, the rows of items, the hint strip. The page buttons
    are pictures and stay outside."""
    width = dump["clientSize"][0]
    margin = 4
    rects = []
    settings = dump["settings"]
    if settings["drawTitle"]:
        left, top, right, bottom = settings["titleArea"]
        rects.append(("title", (0, top - margin, width - 1, bottom + 2 * margin)))
    for entry in dump["page"]["visible"]:
        if entry["kind"] == "item":
            left, top, right, bottom = entry["rect"]
            rects.append(("item %d" % entry["index"],
                          (0, top - margin, width - 1, bottom + 2 * margin)))
    x, y, w, h = dump["hintRect"]
    rects.append(("hint", (x - margin, y - margin, x + w - 1 + margin, y + h - 1 + 2 * margin)))
    return rects


def session_values(build):
    """The Config section of the session file as a dict with lower-case keys, or None."""
    path = build.session_path()
    if not os.path.exists(path):
        return None
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    with open(path, encoding="cp1252", errors="replace") as f:
        parser.read_string(f.read())
    for section in parser.sections():
        if section.lower() == "config":
            return {k.lower(): v for k, v in parser.items(section)}
    return {}


def picture_report(build, results, name, window, expected, background, dump, out, label,
                   drawn_check=True, ignore=()):
    """Waits until the window shows the expected picture (the opening effect takes a moment),
    then checks it, apart from the rectangles in ignore; the last picture taken is saved under
    out."""
    skip = list(ignore)
    if not build.exact_pictures:
        skip += [rect for _, rect in text_rectangles(dump)]
    state = {}

    def matches():
        state["picture"] = build.screen.picture(window)
        picture = state["picture"]
        if (picture.width, picture.height) != (expected.width, expected.height):
            return False
        state["differ"] = differing_pixels(picture, expected, skip, limit=2000)
        return not state["differ"]

    try:
        wait_for("the %s picture" % label, matches, 30 if build.exact_pictures else 120, 0.5)
    except TimeoutError:
        pass
    picture = state["picture"]
    file_label = label.replace(" ", "-")
    write_png(os.path.join(out, "%s-%s.png" % (build.name, file_label)), picture)
    if (picture.width, picture.height) != (expected.width, expected.height):
        results.check(name, False, "picture %dx%d, expected %dx%d" % (
            picture.width, picture.height, expected.width, expected.height))
        return
    differ = state["differ"]
    if differ:
        write_png(os.path.join(out, "%s-%s-expected.png" % (build.name, file_label)), expected)
        xs, ys = [p[0] for p in differ], [p[1] for p in differ]
        results.check(name, False, "%s%d pixels differ%s, within %d,%d - %d,%d; see %s" % (
            "" if build.exact_pictures else "outside the text: ", len(differ),
            " (or more)" if len(differ) >= 2000 else "", min(xs), min(ys), max(xs), max(ys),
            out))
    else:
        results.check(name, True)
    if not drawn_check:
        return
    # Text was drawn: each text rectangle of the dump differs from the bare background.
    blank = [part for part, rect in text_rectangles(dump)
             if part != "hint" and count_inside(picture, background, rect) == 0]
    results.check("%s: title and items drawn over the background" % label, not blank,
                  "nothing drawn in " + ", ".join(blank))


# --- scenarios -------------------------------------------------------------------------------

def scenario_demo(build, options, results, work):
    """One menu process serves the picture, the second start, the exit question answered No,
    the About box, the session file and the exit question answered Yes."""
    demo = copy_demo(work, "demo-main")
    dump = json.loads(tool(build, options, demo, "dump", "Quorel.ini"))
    expected_path = os.path.join(work, "expected-demo.png")
    tool(build, options, demo, "render", "Quorel.ini", "-o", expected_path)
    expected = read_png(expected_path)
    background = read_bmp24(os.path.join(demo, "background.bmp"))
    exit_title = dump["settings"]["exitTitle"]
    exit_message = dump["settings"]["exitMessage"]

    menu = build.start(demo)
    try:
        window = build.wait_main(menu)
        results.check("demo opens: client area 640x480", (window.width, window.height) ==
                      (640, 480), "%dx%d" % (window.width, window.height))
        # The window is shown before the menu's title replaces the program's own, and under
        # Wine the new name reaches X a little later: wait for it.
        title = dump["settings"]["titleText"]
        try:
            wait_for("the menu title as caption", lambda: any(
                w.name == title for w in build.screen.find(pid=window.pid)),
                10 if build.exact_pictures else 60, 0.2)
        except TimeoutError:
            pass  # reported just below
        captions = [w.name for w in build.screen.find(pid=window.pid)]
        results.check("demo opens: the caption is the menu title", title in captions,
                      "captions %r" % captions)
        picture_report(build, results, "demo opens: picture matches quorel-tool render%s" % (
            "" if build.exact_pictures else " outside the text"), window, expected, background,
            dump, options.out, "demo")

        values = session_values(build) or {}
        expected = ".\\Quorel.ini," + build.path_text(demo)
        session0 = values.get("session0", "")
        results.check("session file holds Session0 of the first level",
                      build.same_path(session0, expected), "Session0=%r, expected %r" % (
                          session0, expected))
        # The reload program, the log-on entry and the session file's "Exec" and "Workpath"
        # come with the restart recovery; until then the journal alone is there to see.
        results.check("session file in place while the menu runs",
                      build.restart_recovery()["session file"])

        # A second copy says so and ends with 1; the first one stays.
        second = build.start(demo)
        try:
            box = build.wait_box(APP_TITLE, "Quorel is already running!", second,
                                 exclude=(window.xid,))
            build.answer(box, "OK")
            code = second.exit_code(build.box_timeout)
            results.check("second start: message and exit code 1", code == 1,
                          "exit code %s%s" % (code, second.errors()))
        finally:
            second.kill()
        results.check("second start: the first window stays",
                      menu.running() and build.screen.exists(window.xid))

        # A close request asks; No keeps everything.
        build.screen.request_close(window)
        box = build.wait_box(exit_title, exit_message, menu, exclude=(window.xid,))
        build.answer(box, "No")
        results.check("close request, No: window and process stay",
                      menu.running() and build.screen.exists(window.xid))
        results.check("close request, No: session file untouched",
                      build.restart_recovery()["session file"])

        about = build.open_about(menu)
        build.answer(about, "OK")
        results.check("Alt+/ shows the About box and OK closes it", menu.running())

        build.screen.request_close(window)
        box = build.wait_box(exit_title, exit_message, menu, exclude=(window.xid,))
        build.answer(box, "Yes")
        code = menu.exit_code(build.box_timeout)
        results.check("close request, Yes: the process ends with 0", code == 0,
                      "exit code %s%s" % (code, menu.errors()))
        recovery = build.restart_recovery()
        results.check("close request, Yes: restart recovery removed", not any(recovery.values()),
                      "left: " + ", ".join(k for k, v in recovery.items() if v))
    finally:
        menu.kill()


def expect_start_failure(build, results, label, folder, boxes):
    """Starts the menu in folder; each (caption, text) box must come in turn and is answered
    OK; then the process must end with 0 and leave no session file."""
    menu = build.start(folder)
    try:
        for caption, text in boxes:
            box = build.wait_box(caption, text, menu, timeout=build.start_timeout)
            results.check("%s: box %r" % (label, text), True)
            build.answer(box, "OK")
        code = menu.exit_code(build.box_timeout)
        results.check("%s: exit code 0" % label, code == 0,
                      "exit code %s%s" % (code, menu.errors()))
        left = [part for part, present in build.restart_recovery().items() if present]
        results.check("%s: no session file, reload program or log-on entry left" % label,
                      not left, "left: %s" % ", ".join(left))
    finally:
        menu.kill()


def scenario_missing_files(build, options, results, work):
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    expect_start_failure(build, results, "no definition file", empty,
                         [(APP_TITLE, "Profile error - .\\Quorel.ini")])
    demo = copy_demo(work, "demo-no-background")
    os.remove(os.path.join(demo, "background.bmp"))
    expect_start_failure(build, results, "no background", demo,
                         [("class CDib", "File not found - "),
                          (APP_TITLE, "Profile error - .\\Quorel.ini")])


def open_and_close(build, options, results, work, label, arguments, file_name, demo):
    """Starts the menu in an empty folder with arguments; checks the picture against file_name
    of demo and the journal entry, then closes it with Yes."""
    elsewhere = tempfile.mkdtemp(prefix="cwd-", dir=work)
    dump = json.loads(tool(build, options, demo, "dump", file_name))
    expected_path = os.path.join(work, "expected-%s.png" % label.replace(" ", "-"))
    tool(build, options, demo, "render", file_name, "-o", expected_path)
    menu = build.start(elsewhere, arguments)
    try:
        window = build.wait_main(menu)
        picture_report(build, results, "%s: picture of %s" % (label, file_name), window,
                       read_png(expected_path), read_bmp24(os.path.join(demo, "background.bmp")),
                       dump, options.out, label)
        values = session_values(build) or {}
        session0 = values.get("session0", "")
        text, _, directory = session0.partition(",")
        expected_text = file_name if label == "comma form" else ".\\Quorel.ini"
        results.check("%s: Session0 names %s in the demo folder" % (label, expected_text),
                      text == expected_text and build.same_path(directory, build.path_text(demo)),
                      "Session0=%r" % session0)
        build.screen.request_close(window)
        box = build.wait_box(dump["settings"]["exitTitle"], dump["settings"]["exitMessage"],
                             menu, exclude=(window.xid,))
        build.answer(box, "Yes")
        code = menu.exit_code(build.box_timeout)
        results.check("%s: ends with 0 after Yes" % label, code == 0,
                      "exit code %s%s" % (code, menu.errors()))
    finally:
        menu.kill()


def scenario_command_line(build, options, results, work):
    demo = copy_demo(work, "demo-command-line")
    open_and_close(build, options, results, work, "comma form",
                   ["more.ini," + build.path_text(demo)], "more.ini", demo)
    separator = "/" if build.name == "linux" else "\\"
    open_and_close(build, options, results, work, "path form",
                   [build.path_text(demo) + separator + "x.ini"], "Quorel.ini", demo)


# --- the interaction scenario: pointer input on a menu of its own ---------------------------

INTERACTION_GLOBAL = """[global]
bkBitmap=background.bmp
ExitTitle=Interaction test
ExitMessage=Leave the interaction test?
HintPageForward=Next page
HintPageBackward=Previous page
HintPageExit=Leave the test
HintPageReturn=Back to the first menu
MenuItemColumons=1
MenuItemsPerColumn=3
ItemStartX=60
ItemStartY=120
ItemEndX=579
ItemEndY=520
ItemFontSize=24
ItemFontColor=236 242 246
ItemHighLightColor=255 204 92
ItemSelectedColor=150 190 210
HintStartX=56
HintStartY=414
HintEndX=584
HintEndY=460
HintFontSize=18
HintFontColor=196 230 244
DrawTitle=1
TitleFontSize=32
TitleFontColor=255 255 255
"""
# Plain colours without shadow or smoothing, so that they can be found pixel by pixel.
HIGHLIGHT_RGB = (255, 204, 92)
VISITED_RGB = (150, 190, 210)
MARKER_ARGUMENTS = ["alpha", "beta"]


def write_interaction_menu(build, folder, marker_target, workdir):
    """The first menu: marker item, missing target, filler | LINK item, filler (three items a
    page, so two pages and their buttons); the second menu behind the LINK item."""
    items = [("Start the marker", "open", marker_target, " ".join(MARKER_ARGUMENTS),
              build.path_text(workdir), "Starts the marker program"),
             ("Missing target", "open", "missing.txt", "", "", "Names a file that is not there"),
             ("Filler one", "open", "readme.txt", "", "", "Fills the first page"),
             ("Second menu", "LINK", "second.ini", "", "", "Opens the second menu"),
             ("Filler two", "open", "readme.txt", "", "", "Fills the second page")]
    lines = ["item=" + ",".join(fields) for fields in items]
    with open(os.path.join(folder, "Quorel.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        f.write(INTERACTION_GLOBAL + "\n[menu]\ntitle=Interaction test\n" + "\n".join(lines) +
                "\n")
    with open(os.path.join(folder, "second.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        f.write(INTERACTION_GLOBAL + "\n[menu]\ntitle=Second menu\n"
                "item=Only item,open,readme.txt,,,The one item here\n")
    return [fields[0] for fields in items]


def page_state_key(path):
    """The session-file section of a definition file: 3 * each signed byte of its path that is
    not a multiple of 9, summed in 32 bits, as lower-case hexadecimal."""
    total = 0
    for byte in path.encode("cp1252"):
        value = byte - 256 if byte > 127 else byte
        if value % 9 != 0:
            total += 3 * value
    return "%x" % (total & 0xFFFFFFFF)


def session_section(build, name):
    path = build.session_path()
    if not os.path.exists(path):
        return None
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    with open(path, encoding="cp1252", errors="replace") as f:
        parser.read_string(f.read())
    if not parser.has_section(name):
        return None
    return {k.lower(): v for k, v in parser.items(name)}


def colour_count(picture, rect, rgb):
    left, top, right, bottom = rect
    count = 0
    for y in range(max(top, 0), min(bottom, picture.height - 1) + 1):
        for x in range(max(left, 0), min(right, picture.width - 1) + 1):
            if picture.pixel(x, y) == rgb:
                count += 1
    return count


class Pointer:
    """Moves and clicks inside the menu window; under Wine the pointer rests a moment before
    the button goes down, and the button is held long enough to be seen."""

    def __init__(self, build, window):
        self.build = build
        self.window = window
        self.wine = build.name == "wine"

    def move(self, x, y):
        screen = self.build.screen
        # Two steps, so that the window sees motion inside itself and not only an entry.
        screen.move_pointer(self.window.x + x + 1, self.window.y + y + 1)
        screen.move_pointer(self.window.x + x, self.window.y + y)
        if self.wine:
            time.sleep(0.5)  # part of the gesture Wine needs, not a wait for a state

    def away(self):
        """Onto the window's corner, where no entry is."""
        self.move(4, 4)

    def click(self, rect):
        left, top, right, bottom = rect
        self.move((left + right) // 2, (top + bottom) // 2)
        self.build.screen.click(hold=0.3 if self.wine else 0.0)


def expect_second_menu(build, results, window, second, what):
    """Waits for the window to take the second menu's caption; Session1 must name it."""
    wait_for("the second menu's caption", lambda: any(
        w.name == second["settings"]["titleText"] for w in build.screen.find(
            pid=window.pid)), 20 if build.exact_pictures else 120, 0.5)
    session1 = (session_values(build) or {}).get("session1", "")
    results.check("%s: the second menu opens and Session1 names it" % what,
                  "second.ini" in session1.lower(), "Session1=%r" % session1)


def no_then_yes(build, results, menu, window, settings, what, label):
    """The exit question that what has raised: No keeps the menu; then a close request asks
    again and Yes ends the process with 0."""
    box = build.wait_box(settings["exitTitle"], settings["exitMessage"], menu,
                         exclude=(window.xid,))
    build.answer(box, "No")
    results.check("%s: the exit question, No keeps the menu" % what,
                  menu.running() and build.screen.exists(window.xid))
    build.screen.request_close(window)
    box = build.wait_box(settings["exitTitle"], settings["exitMessage"], menu,
                         exclude=(window.xid,))
    build.answer(box, "Yes")
    code = menu.exit_code(build.box_timeout)
    results.check("%s: ends with 0 after Yes" % label, code == 0,
                  "exit code %s%s" % (code, menu.errors()))


def entry_rect(dump, kind, index=None):
    for entry in dump["page"]["visible"]:
        if entry["kind"] == kind and (index is None or entry.get("index") == index):
            return entry["rect"]
    raise AssertionError("the page shows no %s%s: %r" % (
        kind, "" if index is None else " %d" % index, dump["page"]["visible"]))


def interaction_folder(build, options, work, name):
    """A folder holding the interaction menus, their background, the marker program and its
    working directory; returns the folder and the working directory."""
    folder = os.path.join(work, name)
    os.makedirs(folder)
    shutil.copy(os.path.join(DEMO, "background.bmp"), folder)
    shutil.copy(os.path.join(DEMO, "readme.txt"), folder)
    workdir = os.path.join(folder, "workdir")
    os.makedirs(workdir)
    if build.name == "linux":
        marker_target = "marker.sh"
        with open(os.path.join(folder, marker_target), "w") as f:
            f.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > marker.tmp && pwd >> marker.tmp && "
                    "mv marker.tmp marker.txt\n")
        os.chmod(os.path.join(folder, marker_target), 0o755)
    else:
        marker_target = "marker.exe"
        shutil.copy(options.marker, os.path.join(folder, marker_target))
    write_interaction_menu(build, folder, marker_target, workdir)
    return folder, workdir


def check_marker(build, results, workdir, how):
    """Waits for the marker program's file and checks its parameters and working directory."""
    marker_file = os.path.join(workdir, "marker.txt")
    try:
        wait_for("the marker file", lambda: os.path.exists(marker_file),
                 20 if build.name == "linux" else build.box_timeout, 0.5)
        with open(marker_file, errors="replace") as f:
            lines = f.read().splitlines()
    except TimeoutError:
        lines = None
    if lines is None:
        results.check("%s: the marker program ran" % how, False, "no %s" % marker_file)
    elif build.name == "linux":
        results.check("%s: the marker program got its parameters in its working "
                      "directory" % how, lines[:-1] == MARKER_ARGUMENTS and lines[-1:] == [
                          os.path.realpath(workdir)], "marker file %r" % lines)
    else:
        command = lines[0] if lines else ""
        results.check("%s: the marker program got its parameters in its working "
                      "directory" % how, command.rstrip().endswith(" ".join(MARKER_ARGUMENTS))
                      and len(lines) > 1 and build.same_path(lines[1].rstrip("\\"),
                                                             build.path_text(workdir)),
                      "marker file %r" % lines)


def scenario_interaction(build, options, results, work):
    """One menu process: hover, a started program, a missing target, page turns, a second
    level and back, the exit button."""
    folder, workdir = interaction_folder(build, options, work, "interaction")
    background = read_bmp24(os.path.join(folder, "background.bmp"))

    dumps, pictures = {}, {}

    def dump(page):
        if page not in dumps:
            dumps[page] = json.loads(tool(build, options, folder, "dump", "Quorel.ini",
                                          "--page", str(page)))
        return dumps[page]

    def render(label, page, hover=None, visited=()):
        path = os.path.join(work, "expected-interaction-%s.png" % label)
        arguments = ["render", "Quorel.ini", "-o", path, "--page", str(page)]
        if hover is not None:
            arguments += ["--hover", str(hover)]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        tool(build, options, folder, *arguments)
        pictures[label] = read_png(path)
        return pictures[label]

    def expect(name, label, page, **render_options):
        picture_report(build, results, name, window, render(label, page, **render_options),
                       background, dump(page), options.out, "interaction " + label,
                       drawn_check=False)
        return build.screen.picture(window)

    first = dump(0)
    settings = first["settings"]
    marker_index, missing_index, link_index = 0, 1, 3
    if dump(1)["page"]["currentPage"] != 1 or not any(
            e["kind"] == "forwardButton" for e in first["page"]["visible"]):
        raise AssertionError("the test menu does not make two pages with a forward button")

    menu = build.start(folder)
    try:
        window = build.wait_main(menu)
        pointer = Pointer(build, window)
        pointer.away()
        plain = expect("interaction opens: picture of page 0", "page0", 0)

        # Hover: highlight and hint, and back again.
        item_rect = first["items"][marker_index]["rect"]
        pointer.move(item_rect[0] + 4, (item_rect[1] + item_rect[3]) // 2)
        hovered = expect("hover: the item in the highlight colour with its hint", "hover0", 0,
                         hover=0)
        if not build.exact_pictures:
            x, y, w, h = first["hintRect"]
            results.check("hover: highlight colour inside the item",
                          colour_count(hovered, item_rect, HIGHLIGHT_RGB) > 0)
            results.check("hover: the hint line changed",
                          count_inside(hovered, plain, (x, y, x + w - 1, y + h - 1)) > 0)
        pointer.away()
        expect("hover: moving off restores the item", "page0-again", 0)

        # The marker program: its parameters, in its working directory.
        pointer.click(item_rect)
        check_marker(build, results, workdir, "click")
        pointer.away()
        visited_picture = expect("click: the item drawn in the visited colour", "visited0", 0,
                                 visited=[marker_index])
        if not build.exact_pictures:
            results.check("click: visited colour inside the item",
                          colour_count(visited_picture, item_rect, VISITED_RGB) > 0)

        # A missing target.
        pointer.click(first["items"][missing_index]["rect"])
        missing = build.path_text(os.path.join(folder, "missing.txt"))
        box = build.wait_box(APP_TITLE, missing + " - not found!", menu, exclude=(window.xid,))
        build.answer(box, "OK")
        results.check("click on a missing target: the not-found box, OK closes it",
                      menu.running())
        pointer.away()

        # Page buttons; the marks go along.
        marks = [marker_index, missing_index]
        pointer.click(entry_rect(first, "forwardButton"))
        pointer.away()
        expect("forward button: page 1", "page1", 1, visited=marks)
        pointer.click(entry_rect(dump(1), "backwardButton"))
        pointer.away()
        expect("backward button: page 0 again", "page0-back", 0, visited=marks)
        pointer.click(entry_rect(first, "forwardButton"))
        pointer.away()
        expect("forward button again: page 1", "page1-again", 1, visited=marks)

        # The LINK item opens the second menu as a deeper level.
        second = json.loads(tool(build, options, folder, "dump", "second.ini"))
        pointer.click(dump(1)["items"][link_index]["rect"])
        marks.append(link_index)
        expect_second_menu(build, results, window, second, "LINK item")
        pointer.away()
        back_rect = next(e["rect"] for e in second["page"]["visible"]
                         if e["kind"] in ("exitButton", "returnButton"))
        pointer.click(back_rect)
        wait_for("the first menu's caption", lambda: any(
            w.name == settings["titleText"] for w in build.screen.find(pid=window.pid)),
            20 if build.exact_pictures else 120, 0.5)
        pointer.away()
        expect("return button: the first menu at the same page with the same marks",
               "returned", 1, visited=marks)
        session1 = (session_values(build) or {}).get("session1", "")
        results.check("return button: Session1 empty again", session1 == "",
                      "Session1=%r" % session1)
        key = page_state_key(build.path_text(os.path.join(folder, "Quorel.ini")))
        state = session_section(build, key) or {}
        expected_selected = "%x" % sum(1 << i for i in marks)
        results.check("page state of the first menu under section %s" % key,
                      state.get("page") == "1" and state.get("selected", "").strip() ==
                      expected_selected, "section %r, expected Page=1 Selected= %s; file: %s" % (
                          state, expected_selected, build.session_path()))

        # A LINK level that loads but cannot be shown (its background is missing): the box, and
        # the return button, in the exit button's place, still leads back to the first menu.
        # Only there does the same place ask the exit question below.
        with open(os.path.join(folder, "second.ini"), "w", encoding="cp1252",
                  newline="\r\n") as f:
            f.write(INTERACTION_GLOBAL.replace("bkBitmap=background.bmp", "bkBitmap=gone.bmp") +
                    "\n[menu]\ntitle=Second menu\nitem=Only item,open,readme.txt\n")
        pointer.click(dump(1)["items"][link_index]["rect"])
        box = build.wait_box("class CDib", "File not found - ", menu, exclude=(window.xid,))
        build.answer(box, "OK")
        pointer.click(entry_rect(dump(1), "exitButton"))
        pointer.away()
        expect("LINK level without its background: the return button shows the first menu",
               "returned-again", 1, visited=marks)
        session1 = (session_values(build) or {}).get("session1", "")
        results.check("LINK level without its background: Session1 empty after the return",
                      session1 == "", "Session1=%r" % session1)

        # The exit button on the top level asks.
        pointer.click(entry_rect(dump(1), "exitButton"))
        no_then_yes(build, results, menu, window, settings, "exit button", "interaction")
    finally:
        menu.kill()


# --- keyboard and scale ----------------------------------------------------------------------

def focus_dots(picture, plain, rect):
    """How many pixels of the first 40 of the entry's top row are the inverse of the plain
    picture's there: the dotted focus frame inverts every other one, and no caption reaches
    that row."""
    left, top = rect[0], rect[1]
    inverted = 0
    for x in range(left, min(left + 40, picture.width)):
        a, b = picture.pixel(x, top), plain.pixel(x, top)
        inverted += all(p == 255 - q for p, q in zip(a, b))
    return inverted


def scenario_keyboard(build, options, results, work):
    """One menu process driven by keys alone: Tab and Enter start the marker program, Page Down
    turns the page, Enter opens the LINK level, Backspace returns to the same page and marks,
    Escape on the first level asks the exit question; the focus frame from the first key."""
    folder, workdir = interaction_folder(build, options, work, "keyboard")
    background = read_bmp24(os.path.join(folder, "background.bmp"))
    dumps = {}

    def dump(page):
        if page not in dumps:
            dumps[page] = json.loads(tool(build, options, folder, "dump", "Quorel.ini",
                                          "--page", str(page)))
        return dumps[page]

    def expect(name, label, page, visited=(), focus=True):
        path = os.path.join(work, "expected-keyboard-%s.png" % label)
        arguments = ["render", "Quorel.ini", "-o", path, "--page", str(page)]
        if focus:
            arguments += ["--hover", "0", "--focus"]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        tool(build, options, folder, *arguments)
        picture_report(build, results, name, window, read_png(path), background, dump(page),
                       options.out, "keyboard " + label, drawn_check=False)
        return build.screen.picture(window)

    def press(key):
        # Under Wine the window has had its click; another would move the highlight.
        if build.name == "wine":
            build.screen.press(key)
        else:
            build.screen.keys(window, key)

    settings = dump(0)["settings"]
    link_index = 3
    menu = build.start(folder)
    try:
        window = build.wait_main(menu)
        pointer = Pointer(build, window)
        pointer.away()
        plain = expect("keyboard: the menu opens with nothing highlighted", "plain", 0,
                       focus=False)
        item_rect = dump(0)["items"][0]["rect"]

        # Keys reach a Wine window after a click on it (with the pointer at rest a moment); a
        # Tab that was lost changed nothing, so it is pressed again after another click.
        for rest in (0.5, 1.5, 3.0):
            if build.name == "wine":
                pointer.away()
                time.sleep(rest)  # part of the gesture Wine needs, not a wait for a state
                build.screen.click(hold=0.3)
            press("Tab")
            try:
                wait_for("the focus frame", lambda: focus_dots(
                    build.screen.picture(window), plain, item_rect) >= 15,
                    20 if build.exact_pictures else 90, 0.5)
                break
            except TimeoutError:
                continue
        framed = expect("Tab: the first item highlighted with its hint and focus frame, as "
                        "quorel-tool render --hover 0 --focus", "tab", 0)
        results.check("Tab: the focus frame's dots along the item's top row",
                      focus_dots(framed, plain, item_rect) >= 15,
                      "%d of 40 pixels inverted" % focus_dots(framed, plain, item_rect))

        press("Return")
        check_marker(build, results, workdir, "Tab and Enter")

        press("Next")  # Page Down
        expect("Page Down: page 1, its first entry highlighted", "page1", 1, visited=[0])

        second = json.loads(tool(build, options, folder, "dump", "second.ini"))
        press("Return")
        expect_second_menu(build, results, window, second, "Enter on the LINK item")

        press("BackSpace")
        wait_for("the first menu's caption", lambda: any(
            w.name == settings["titleText"] for w in build.screen.find(pid=window.pid)),
            20 if build.exact_pictures else 120, 0.5)
        expect("Backspace: the first menu at the same page with the same marks", "returned", 1,
               visited=[0, link_index])

        press("Escape")
        no_then_yes(build, results, menu, window, settings, "Escape on the first level",
                    "keyboard")
    finally:
        menu.kill()


def scenario_scale(build, options, results, work):
    """QUOREL_SCALE=2 on Linux: the window twice the menu's size showing its picture enlarged
    pixel for pixel, and a click at a doubled point reaching the right entry."""
    if build.name != "linux":
        print("# scale: skipped, Windows enlarges programs that are not DPI-aware itself")
        return
    folder = os.path.join(work, "scale")
    os.makedirs(folder)
    # Small enough to fit the display twice over.
    write_bmp24(os.path.join(folder, "background.bmp"),
                crop(read_bmp24(os.path.join(DEMO, "background.bmp")), 0, 0, 320, 240))
    with open(os.path.join(folder, "Quorel.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        f.write("[global]\nbkBitmap=background.bmp\nItemStartX=20\nItemStartY=40\n"
                "ItemFontSize=20\nItemFontColor=236 242 246\nItemHighLightColor=255 204 92\n"
                "MenuItemsPerColumn=3\nHintFontSize=14\nDrawTitle=1\nTitleFontSize=22\n"
                "[menu]\ntitle=Scaled\nitem=First,open,readme.txt,,,The first item\n"
                "item=Second,open,readme.txt,,,The second item\n")
    shutil.copy(os.path.join(DEMO, "readme.txt"), folder)
    dump = json.loads(tool(build, options, folder, "dump", "Quorel.ini"))
    expected = {}
    for label, hover in (("plain", None), ("hover1", "1")):
        path = os.path.join(work, "expected-scale-%s.png" % label)
        tool(build, options, folder, "render", "Quorel.ini", "-o", path,
             *(("--hover", hover) if hover else ()))
        expected[label] = enlarge(read_png(path), 2)

    build.environment["QUOREL_SCALE"] = "2"
    try:
        menu = build.start(folder)
    finally:
        del build.environment["QUOREL_SCALE"]
    try:
        window = build.wait_main(menu)
        width, height = dump["clientSize"]
        results.check("QUOREL_SCALE=2: the window is twice the menu's size",
                      (window.width, window.height) == (2 * width, 2 * height),
                      "%dx%d for a %dx%d menu" % (window.width, window.height, width, height))
        background = enlarge(read_bmp24(os.path.join(folder, "background.bmp")), 2)
        picture_report(build, results, "QUOREL_SCALE=2: the render enlarged 2x pixel for pixel",
                       window, expected["plain"], background, dump, options.out, "scale plain",
                       drawn_check=False)
        left, top, right, bottom = dump["items"][1]["rect"]
        Pointer(build, window).move(left + right, top + bottom)  # the doubled middle
        picture_report(build, results, "QUOREL_SCALE=2: a doubled point hovers the second item",
                       window, expected["hover1"], background, dump, options.out, "scale hover",
                       drawn_check=False)
    finally:
        menu.kill()


# --- main ------------------------------------------------------------------------------------

SCENARIOS = {"demo menu": scenario_demo, "missing files": scenario_missing_files,
             "command line": scenario_command_line, "interaction": scenario_interaction,
             "keyboard": scenario_keyboard, "scale": scenario_scale,
             "restart": lambda *arguments: scenario_restart.scenario_restart(
                 sys.modules[__name__], *arguments),
             "dist": lambda *arguments: scenario_dist.scenario_dist(
                 sys.modules[__name__], *arguments)}


@contextlib.contextmanager
def build_on_own_display(options, work):
    """A display of its own (Xvfb) and the build of options.build on it, both ended after."""
    xvfb = Xvfb()
    screen = Screen(xvfb.name)
    build = None
    try:
        # The pointer rests in the corner, away from the windows, so no item is hovered.
        screen.move_pointer(0, 0)
        build = (LinuxBuild if options.build == "linux" else WineBuild)(options, screen, work)
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
    parser.add_argument("--reload", required=True,
                        help="the built reload program (pindrel or pindrel.exe)")
    parser.add_argument("--only", choices=sorted(SCENARIOS),
                        help="run this scenario alone (each Wine process start is slow)")
    parser.add_argument("--portable", help="the portable Linux program's folder (for dist)")
    parser.add_argument("--out", default=None, help="folder for screenshots")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()

    missing = [path for path in (options.quorel, options.tool, options.helper, options.marker,
                                 options.reload)
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
    options.out = os.path.abspath(options.out or os.path.join(os.getcwd(), "e2e-%s" %
                                                                options.build))
    os.makedirs(options.out, exist_ok=True)

    results = Results()
    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="quorel-e2e-")
    try:
        with build_on_own_display(options, work) as build:
            for name, body in SCENARIOS.items():
                if options.only in (None, name):
                    results.scenario(name, lambda: body(build, options, results, work))
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
