# The Windows build as the scenarios see it: the program under Wine, its boxes read and answered
# by the window helper, pictures compared outside the text (Wine draws text its own way).
import os
import shutil
import subprocess
import time

from kit import ABOUT_TEXT, SESSION_FILE, Menu, text_rectangles, web_opener
from xdisplay import repeat_until, wait_for

RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
# The libraries the menu loads at run time that are not on Windows' list of known libraries,
# planted beside it: Windows (and Wine with native-first overrides) would take such files from
# the program's folder before the system's. shcore and oleaut32 are known libraries where they
# exist; Wine, which has no such list, takes a planted shcore for its own shell32's imports
# before the program runs.
PLANTED_NAMES = ("winmm.dll", "oleacc.dll")


class WinePlaces:
    """Where the Windows build keeps its restart recovery: the Run value under HKLM or HKCU, the
    reload program and the session file it names (a bare name: the Windows directory). Every
    place a value named is remembered, so that a clean end is checked there too."""

    def __init__(self, build):
        self.build = build
        self.programs = {os.path.join(build.windows_dir, "pindrel.exe")}
        self.sessions = {os.path.join(build.windows_dir, SESSION_FILE)}

    def values(self):
        return {root: self.build.prefix.registry_value(root + "\\" + RUN_KEY, "QuorelReload")
                for root in ("HKLM", "HKCU")}

    def linux_path(self, windows):
        """A path of the prefix's drives on this machine, a bare name in the Windows directory;
        Windows matches names without regard to case."""
        if "\\" not in windows:
            return os.path.join(self.build.windows_dir, windows)
        drive, rest = windows.split(":", 1)
        path = "/" if drive.upper() == "Z" else os.path.join(self.build.prefix.path, "drive_c")
        for part in [p for p in rest.split("\\") if p]:
            try:
                names = {n.lower(): n for n in os.listdir(path)}
            except OSError:
                names = {}
            path = os.path.join(path, names.get(part.lower(), part))
        return path

    @staticmethod
    def split(value):
        """(program, argument) of a registered command: a quoted program or a bare name."""
        if value.startswith('"'):
            program, rest = value[1:].split('"', 1)
            return program, rest.lstrip(" ")
        program, _, argument = value.partition(" ")
        return program, argument

    def state(self):
        values = self.values()
        value = values["HKCU"] or values["HKLM"]
        if value is not None:
            program, argument = self.split(value)
            self.programs.add(self.linux_path(program))
            self.sessions.add(self.linux_path(argument))
        return values, value

    def recovery(self):
        _, value = self.state()
        return {"session file": any(os.path.isfile(p) for p in self.sessions),
                "reload program": any(os.path.isfile(p) for p in self.programs),
                "log-on entry": value is not None}


class WineBuild:
    """The Windows program under Wine; its boxes are read and answered by the window helper."""

    name = "wine"
    start_timeout = 900
    box_timeout = 300
    picture_timeout = 120
    state_timeout = 120
    program_start_timeout = 300
    picture_scope = " outside the text"
    picture_poll = 0.2  # a look at a Wine window costs more
    pointer_rest = 0.5  # the pointer rests a moment before the button goes down
    click_hold = 0.3  # and the button is held long enough to be seen
    path_separator = "\\"
    disc_name = "medium 'one two"  # Windows names cannot hold a double quote
    scale_source = "192 dots per inch"  # what asks for factor 2: the prefix's LogPixels

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
        # quorel-tool.exe, when given: it draws as quorel.exe does, text included.
        self.own_tool = options.windows_tool and os.path.abspath(options.windows_tool)
        opener, self.web_record = web_opener(work)
        self.prefix.environment["PATH"] = opener + os.pathsep + self.prefix.environment["PATH"]
        self.planted = None
        self.menu_environment = None
        if options.planted:
            self.plant(options.planted, work)

    def plant(self, library, work):
        """Every menu (and quorel-tool.exe) of the run starts from a folder that holds the
        planted library under the names of the system libraries it loads, with Wine told to
        prefer such native files."""
        self.planted = os.path.join(work, "planted")
        os.makedirs(self.planted)
        copy = os.path.join(self.planted, "quorel.exe")
        shutil.copy(self.program, copy)
        for name in PLANTED_NAMES:
            shutil.copy(library, os.path.join(self.planted, name))
        self.program = copy
        if self.own_tool:
            self.own_tool = shutil.copy(self.own_tool, os.path.join(self.planted,
                                                                    "quorel-tool.exe"))
        native_first = ",".join(name[:-4] for name in PLANTED_NAMES) + "=n,b"
        self.menu_environment = dict(self.prefix.environment, WINEDLLOVERRIDES="%s;%s" % (
            self.prefix.environment["WINEDLLOVERRIDES"], native_first))

    def final_checks(self, results):
        if self.planted is None:
            print("# planted libraries: not checked (no --planted library given)")
            return
        loaded = sorted(n for n in os.listdir(self.planted) if n.endswith(".loaded"))
        results.check("no library planted beside quorel.exe and quorel-tool.exe was loaded (%s)"
                      % ", ".join(PLANTED_NAMES), not loaded, "loaded: %r" % loaded)
        # The planted file does leave its mark when a process loads it.
        probe = os.path.join(self.planted, "probe.dll")
        shutil.copy(os.path.join(self.planted, PLANTED_NAMES[0]), probe)
        answer = self.helper.load(self.windows_path(probe))
        results.check("the planted library leaves its mark once loaded",
                      answer == "ok" and os.path.exists(probe + ".loaded"), answer)

    def stop(self):
        if self.helper is not None:
            self.helper.stop()
        self.prefix.stop()

    def run_own_tool(self, cwd, *arguments):
        """quorel-tool.exe with arguments in cwd (one Wine start); raises when it fails."""
        print("# quorel-tool.exe %s" % " ".join(arguments), flush=True)
        result = subprocess.run(["wine", self.own_tool] + list(arguments), cwd=cwd,
                                env=self.menu_environment or self.prefix.environment,
                                stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, errors="replace",
                                timeout=self.start_timeout)
        if result.returncode != 0:
            raise AssertionError("quorel-tool.exe %s ended with %d: %s" % (
                " ".join(arguments), result.returncode, result.stderr))
        return result.stdout

    # --- paths and files ---------------------------------------------------------------------

    def session_path(self):
        return os.path.join(self.windows_dir, SESSION_FILE)

    def path_text(self, path):
        return self.windows_path(path)

    def same_path(self, a, b):
        return a.lower() == b.lower()

    def inexact_rectangles(self, dump):
        """Where the menu draws text: Wine's fonts differ from the tool's."""
        return [rect for _, rect in text_rectangles(dump)]

    def install_marker(self, options, folder):
        target = "marker.exe"
        shutil.copy(options.marker, os.path.join(folder, target))
        return target

    def marker_ran(self, lines, arguments, workdir):
        """The marker's file: its command line, then its working directory."""
        command = lines[0] if lines else ""
        return (command.rstrip().endswith(" ".join(arguments)) and len(lines) > 1
                and self.same_path(lines[1].rstrip("\\"), self.path_text(workdir)))

    # --- the menu process and its boxes ------------------------------------------------------

    def start(self, cwd, arguments=()):
        return Menu(self.prefix.start(self.program, arguments, cwd=cwd,
                                      environment=self.menu_environment))

    # The menu program's own lines: Wine's are muted (WINEDEBUG=-all).
    preview_errors_seen = True

    # No menu beside the preview here: one more Wine process start is slow where 32-bit code is
    # emulated, and the guard and the recovery are the core's, checked on Linux.
    preview_beside_menu = False

    def start_preview(self, cwd, file_name, out, errors):
        """quorel.exe started in its preview mode directly (the Windows tool is not built here);
        standard output and error go to the files out and errors."""
        with open(out, "wb") as printed, open(errors, "wb") as said:
            return Menu(self.prefix.start(self.program, ["--preview", file_name], cwd=cwd,
                                          stdout=printed, stderr=said,
                                          environment=self.menu_environment), errors)

    def wait_preview(self, menu):
        return self.wait_main(menu)

    def start_scaled(self, cwd, factor):
        """The menu on a screen of factor x 96 dots per inch: the prefix's LogPixels, which a
        Wine process reads as it starts, is put back once the menu's window is shown."""
        key, name = "HKCU\\Control Panel\\Desktop", "LogPixels"
        before = self.prefix.registry_value(key, name)
        self.prefix.set_registry_value(key, name, 96 * factor, "REG_DWORD")
        try:
            menu = self.start(cwd)
            try:
                self.wait_main(menu)
            except BaseException:
                menu.kill()
                raise
            return menu
        finally:
            self.prefix.set_registry_value(key, name, None if before is None
                                           else int(before, 0), "REG_DWORD")

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

    # --- assistive technology: the window's MSAA client object, read by the helper ------------

    access_skip_reason = None
    # MSAA's numbers: the role of every entry and the states told, and the default action.
    access_role = 0x2B  # ROLE_SYSTEM_PUSHBUTTON
    access_action = "Press"

    @staticmethod
    def access_state(focused, visited):
        return 0x100000 | (0x4 if focused else 0) | (0x800000 if visited else 0)

    def check_silent_bus(self, results, folder, plain):
        """Windows has no accessibility bus to wait for."""

    def access_listen(self):
        self.helper.hook()

    def access(self, menu):
        return self.helper.access(menu.hwnd)

    def access_press(self, menu, child):
        return self.helper.press(menu.hwnd, child)

    def access_events(self, menu):
        """The focus and reorder events of the menu's window heard since the last call."""
        return [e[:1] + e[2:] for e in self.helper.events() if e[1] == menu.hwnd.hwnd]

    def prepare_keys(self, pointer, rest):
        """Keys reach a Wine window after a click on it, with the pointer at rest a moment."""
        pointer.away()
        time.sleep(rest)  # part of the gesture Wine needs, not a wait for a state
        self.screen.click(hold=self.click_hold)

    def send_key(self, window, key):
        # The window has had its click; another would move the highlight.
        self.screen.press(key)

    # --- the restart recovery ----------------------------------------------------------------

    def restart_recovery(self):
        value = self.prefix.registry_value(
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "QuorelReload")
        return {"session file": os.path.exists(self.session_path()),
                "reload program": os.path.exists(self.reload_program),
                "log-on entry": value is not None}

    def recovery_places(self):
        return WinePlaces(self)

    def check_hangup(self, results, folder):
        """Windows programs get no hang-up signal: the end of the session is checked later."""

    def refuse_reload_program(self):
        """The Windows directory refuses the reload program, as it refuses a standard user on
        current Windows (a folder of its name stands in the way). Returns how to undo it."""
        blocker = os.path.join(self.windows_dir, "pindrel.exe")
        if os.path.isfile(blocker):
            os.remove(blocker)
        os.makedirs(blocker, exist_ok=True)

        def undo():
            if os.path.isdir(blocker):
                os.rmdir(blocker)

        return undo

    def written_reload_program(self, places, results):
        """Where the reload program went, with the check that the registration names it."""
        values, value = places.state()
        print("# Run values: HKLM %r, HKCU %r" % (values["HKLM"], values["HKCU"]), flush=True)
        program = WinePlaces.split(value)[0] if value else ""
        results.check("restart: the Windows directory refusing the reload program, HKCU "
                      "names it by its quoted full path and HKLM holds nothing",
                      values["HKLM"] is None and value is not None and value.startswith('"')
                      and "\\" in program and os.path.isfile(places.linux_path(program)),
                      repr(values))
        return places.linux_path(program) if program else self.reload_program

    def end_session(self, menu, window, results, places):
        # The system menu's About (command 104) opens the box that Escape does not close.
        self.helper.post("syscommand", menu.hwnd, 104)
        about = self.wait_box("About", ABOUT_TEXT, menu, exclude=(window.xid,))
        self.helper.post("command", about, 2)  # Cancel, as Escape gives it
        time.sleep(1.0)  # a box that would close on Cancel has gone by now
        results.check("restart: the system menu's About box stays on Escape",
                      not self.helper.gone(about))
        self.answer(about, "OK")
        # The end of the Windows session: the query is answered yes, and nothing is removed.
        answer = self.helper.end_session(menu.hwnd)
        results.check("restart: the end of the Windows session leaves all three",
                      answer == 1 and all(places.recovery().values())
                      and self.screen.exists(window.xid),
                      "query answered %d, %r" % (answer, places.recovery()))
        # Then a power cut: nothing of a normal end runs.
        menu.kill()

    def run_logon(self, places, cwd):
        """Runs the registered command as the log-on does: (command, code)."""
        command = places.state()[1]
        return command, self.helper.run(command, self.start_timeout)

    def check_nothing_left_anywhere(self, places, results):
        values = places.values()
        left = [p for p in places.programs | places.sessions if os.path.isfile(p)]
        folders = [os.path.dirname(p) for p in places.programs
                   if os.path.basename(os.path.dirname(p)).lower() == "quorel"]
        results.check("restart: no file and no value anywhere, the user's folder gone",
                      not left and not any(values.values())
                      and not any(os.path.exists(f) for f in folders),
                      "files %r, values %r, folders %r" % (left, values, folders))

    # --- the disc folder ---------------------------------------------------------------------

    def dist_skip_reason(self, options):
        return None

    def dist_programs(self, options, work):
        """The built Windows program; the Linux half plays no part here, so a stand-in does
        when the portable program is not built."""
        portable = options.portable
        if not os.path.exists(os.path.join(portable or "", "quorel")):
            portable = os.path.join(work, "stand-in-linux")
            os.makedirs(portable, exist_ok=True)
            with open(os.path.join(portable, "quorel"), "w") as f:
                f.write("#!/bin/sh\n")
        return os.path.abspath(options.quorel), portable

    def disc_systems(self, options):
        """One start, in this build's Wine prefix."""
        return [None]

    def start_disc(self, results, disc, work, system):
        return Menu(self.prefix.start(os.path.join(disc, "quorel.exe"), [], cwd=disc)), \
            "dist quorel.exe"

    def check_disc_start(self, results, menu, disc, label):
        """A disc's Windows program is one file, started as it is: nothing to look at."""

    def check_disc_end(self, results, menu, disc, work, system, label):
        """Wine's own messages go to standard error: nothing to look at."""
