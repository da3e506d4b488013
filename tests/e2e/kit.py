# The scenarios' shared helpers, one per job: results, the menu process, quorel-tool, the
# session file, picture checks, pointer gestures and the exit question.
import configparser
import json
import os
import shutil
import subprocess
import time
import traceback

from pictures import count_inside, differing_pixels, write_png
from xdisplay import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.normpath(os.path.join(HERE, "..", "..", "demo"))
APP_TITLE = "Quorel"
ABOUT_TEXT = "Quorel Version 1.0"
SESSION_FILE = "quorel~.tmp"


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


def web_opener(work):
    """A stand-in xdg-open in a folder of its own (for the front of PATH): it writes its
    arguments, one a line, to a file. Both builds hand web addresses to it, the Linux menu
    directly and Wine through its browser launcher. Returns (folder, record file)."""
    folder = os.path.join(work, "web-opener")
    os.makedirs(folder)
    record = os.path.join(folder, "opened.txt")
    script = os.path.join(folder, "xdg-open")
    with open(script, "w") as f:
        f.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" > '%s.tmp' && mv '%s.tmp' '%s'\n"
                % (record, record, record))
    os.chmod(script, 0o755)
    return folder, record


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


def dump(build, options, folder, file_name, page=None):
    """quorel-tool's dump of a definition file (at a page) as a dict."""
    arguments = ["dump", file_name] + (["--page", str(page)] if page is not None else [])
    return json.loads(tool(build, options, folder, *arguments))


def entry_rect(dump, kind, index=None):
    for entry in dump["page"]["visible"]:
        if entry["kind"] == kind and (index is None or entry.get("index") == index):
            return entry["rect"]
    raise AssertionError("the page shows no %s%s: %r" % (
        kind, "" if index is None else " %d" % index, dump["page"]["visible"]))


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


def session_file(build):
    """The session file parsed, or None without it."""
    path = build.session_path()
    if not os.path.exists(path):
        return None
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    with open(path, "rb") as f:
        data = f.read()
    # UTF-16LE with its mark (Windows keeps a folder outside the code page so), UTF-8, or the
    # Western code page.
    if data.startswith(b"\xff\xfe"):
        text = data[2:].decode("utf-16-le", "replace")
    else:
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            text = data.decode("cp1252", "replace")
    parser.read_string(text)
    return parser


def session_section(build, name):
    """The section name of the session file as a dict with lower-case keys, or None."""
    parser = session_file(build)
    if parser is None or not parser.has_section(name):
        return None
    return {k.lower(): v for k, v in parser.items(name)}


def session_values(build):
    """The Config section of the session file (in any case) as a dict with lower-case keys,
    {} when the file has none, None without the file."""
    parser = session_file(build)
    if parser is None:
        return None
    for section in parser.sections():
        if section.lower() == "config":
            return {k.lower(): v for k, v in parser.items(section)}
    return {}


def picture_report(build, results, name, window, expected, background, dump, out, label,
                   drawn_check=True, ignore=(), exact=False):
    """Waits until the window shows the expected picture (the opening effect takes a moment),
    then checks it, apart from the rectangles in ignore and, unless exact (the build's own tool
    drew expected), those the build cannot draw exactly; the last picture taken is saved under
    out."""
    skip = list(ignore) + ([] if exact else build.inexact_rectangles(dump))
    scope = "" if exact else build.picture_scope
    state = {}

    def matches():
        state["picture"] = build.screen.picture(window)
        picture = state["picture"]
        if (picture.width, picture.height) != (expected.width, expected.height):
            return False
        state["differ"] = differing_pixels(picture, expected, skip, limit=2000)
        return not state["differ"]

    try:
        wait_for("the %s picture" % label, matches, build.picture_timeout, 0.5)
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
            scope.strip() + ": " if scope else "", len(differ),
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


def wait_caption(build, window, title):
    """Waits for the menu process of window to show a window captioned title; returns it."""
    return wait_for("a window captioned %r" % title, lambda: build.screen.find(
        name=title, pid=window.pid), build.state_timeout, 0.5)[-1]


class Pointer:
    """Moves and clicks inside the menu window, at the pace the build's windows need."""

    def __init__(self, build, window):
        self.build = build
        self.window = window

    def move(self, x, y):
        screen = self.build.screen
        # Two steps, so that the window sees motion inside itself and not only an entry.
        screen.move_pointer(self.window.x + x + 1, self.window.y + y + 1)
        screen.move_pointer(self.window.x + x, self.window.y + y)
        if self.build.pointer_rest:
            time.sleep(self.build.pointer_rest)  # part of the gesture, not a wait for a state

    def away(self):
        """Onto the window's corner, where no entry is."""
        self.move(4, 4)

    def click(self, rect):
        left, top, right, bottom = rect
        self.move((left + right) // 2, (top + bottom) // 2)
        self.build.screen.click(hold=self.build.click_hold)


def expect_second_menu(build, results, window, second, what):
    """Waits for the window to take the second menu's caption; Session1 must name it."""
    wait_caption(build, window, second["settings"]["titleText"])
    session1 = (session_values(build) or {}).get("session1", "")
    results.check("%s: the second menu opens and Session1 names it" % what,
                  "second.ini" in session1.lower(), "Session1=%r" % session1)


def close_with_yes(build, results, menu, window, settings, label):
    """A close request; the exit question answered Yes ends the process with 0."""
    build.screen.request_close(window)
    box = build.wait_box(settings["exitTitle"], settings["exitMessage"], menu,
                         exclude=(window.xid,))
    build.answer(box, "Yes")
    code = menu.exit_code(build.box_timeout)
    results.check("%s: ends with 0 after Yes" % label, code == 0,
                  "exit code %s%s" % (code, menu.errors()))


def no_then_yes(build, results, menu, window, settings, what, label):
    """The exit question that what has raised: No keeps the menu; then a close request asks
    again and Yes ends the process with 0."""
    box = build.wait_box(settings["exitTitle"], settings["exitMessage"], menu,
                         exclude=(window.xid,))
    build.answer(box, "No")
    results.check("%s: the exit question, No keeps the menu" % what,
                  menu.running() and build.screen.exists(window.xid))
    close_with_yes(build, results, menu, window, settings, label)
