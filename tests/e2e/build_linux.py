# The native build as the scenarios see it: SDL windows and message boxes under Xvfb, box texts
# read back through X RECORD, pictures exact to the pixel.
import ctypes
import os
import signal
import struct
import subprocess
import time

import atspi_session
from kit import ABOUT_TEXT, HERE, SESSION_FILE, Menu, web_opener
from xdisplay import repeat_until, wait_for

# The systems the disc's program is started in, each a Debian root under --roots: the oldest it
# is for and a current one, with a desktop's X client libraries, fontconfig and a font, and no
# sound library (tests/e2e/CMakeLists.txt makes them).
DISC_SYSTEMS = (("debian 11", "debian11-desktop"), ("debian 13", "debian13-desktop"))
# Where the disc is mounted inside a root: a name with a blank, as desktops make them.
DISC_MOUNT = "/media/user/Quorel demo"
# What the menu may open from the disc before its first picture (a CD reads about 1 MB a second
# at its slowest).
DISC_START_BYTES = 6 * 1000 * 1000


class OpenedFiles:
    """The files opened in a folder tree from now on, through inotify (which sees them opened
    through any mount of the tree, a chroot's included)."""

    IN_OPEN = 0x20

    def __init__(self, top):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        self.folders = {}
        for folder, _, _ in os.walk(top):
            watch = libc.inotify_add_watch(self.fd, os.fsencode(folder), self.IN_OPEN)
            if watch < 0:
                os.close(self.fd)
                raise OSError(ctypes.get_errno(), "inotify_add_watch " + folder)
            self.folders[watch] = folder
        self.opened = set()

    def files(self):
        """Every file opened so far (folders left out)."""
        while True:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                break
            at = 0
            while at < len(data):
                watch, _, _, length = struct.unpack_from("iIII", data, at)
                name = data[at + 16:at + 16 + length].rstrip(b"\0")
                at += 16 + length
                path = os.path.join(self.folders[watch], os.fsdecode(name))
                if name and os.path.isfile(path):
                    self.opened.add(path)
        return sorted(self.opened)

    def close(self):
        os.close(self.fd)


class LinuxBuild:
    """The native program: SDL windows and message boxes; box texts come from X RECORD."""

    name = "linux"
    start_timeout = 30
    box_timeout = 20
    picture_timeout = 30  # for the window to show the expected picture
    state_timeout = 20  # for a caption or a picture to follow an input
    program_start_timeout = 20  # for a started program to write its file
    picture_scope = ""  # pictures match everywhere, text included
    picture_poll = 0.005  # seconds between looks at a window for a picture to come
    pointer_rest = 0.0
    click_hold = 0.0
    path_separator = "/"
    disc_name = "medium 'one\" two"
    scale_source = "QUOREL_SCALE=2"  # what asks for factor 2 in the scale scenario
    # AT-SPI's names: the role of every entry, the states told and the action.
    access_role = "push button"
    access_action = "press"
    own_tool = None  # the Linux quorel-tool draws as this build does: kit.tool serves


    def __init__(self, options, screen, work):
        from xtext import TextRecorder
        self.program = os.path.abspath(options.quorel)
        self.tool = getattr(options, "tool", None)
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
        self.exec_parser = getattr(options, "exec_parser", None)  # the benchmark has none
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
        opener, self.web_record = web_opener(work)
        self.environment["PATH"] = opener + os.pathsep + self.environment.get("PATH", "")
        # Every menu runs in a desktop session with a session bus, as on a desktop, so the
        # accessibility bus is there whenever a screen reader reads one.
        self.atspi = None
        self.access_skip_reason = atspi_session.skip_reason()
        if self.access_skip_reason is None:
            self.atspi = atspi_session.AtspiSession(work, self.environment)

    @staticmethod
    def final_checks(results):
        print("# planted libraries: not checked here; Linux programs take libraries from the "
              "system's paths, never from their own folder")

    def stop(self):
        self.text.stop()
        if self.atspi is not None:
            self.atspi.stop()

    # --- paths and files ---------------------------------------------------------------------

    def session_path(self):
        return os.path.join(self.windows_dir, SESSION_FILE)

    def path_text(self, path):
        return path

    def same_path(self, a, b):
        return a == b

    def inexact_rectangles(self, dump):
        return []

    def install_marker(self, options, folder):
        """A shell script standing in for the marker program; returns its name."""
        target = "marker.sh"
        with open(os.path.join(folder, target), "w") as f:
            f.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > marker.tmp && pwd >> marker.tmp && "
                    "mv marker.tmp marker.txt\n")
        os.chmod(os.path.join(folder, target), 0o755)
        return target

    def marker_ran(self, lines, arguments, workdir):
        """The script's file: one argument a line, then its working directory."""
        return lines[:-1] == arguments and lines[-1:] == [os.path.realpath(workdir)]

    # --- the menu process and its boxes ------------------------------------------------------

    def start(self, cwd, arguments=()):
        self.text.clear()
        self.starts += 1
        log = os.path.join(self.work, "menu-%d.log" % self.starts)
        with open(log, "wb") as errors:
            return Menu(subprocess.Popen([self.program] + list(arguments), cwd=cwd,
                                         env=self.environment, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=errors), log)

    # The preview's standard error holds the tool's check and the menu program's own lines.
    preview_errors_seen = True

    # A menu runs beside the preview, which must neither be refused by its guard nor touch its
    # restart recovery.
    preview_beside_menu = True

    def start_preview(self, cwd, file_name, out, errors):
        """quorel-tool preview, which starts this build's menu program in its preview mode;
        standard output and error go to the files out and errors."""
        with open(out, "wb") as printed, open(errors, "wb") as said:
            return Menu(subprocess.Popen([self.tool, "preview", file_name], cwd=cwd,
                                         env=self.environment, stdin=subprocess.DEVNULL,
                                         stdout=printed, stderr=said), errors)

    def wait_preview(self, menu):
        """The window of the menu program that the tool started (its child)."""
        def shown():
            menu.ended()
            return [w for pid in menu.children() for w in self.screen.find(pid=int(pid))]

        menu.window = wait_for("the preview window", shown, self.start_timeout)[-1]
        return menu.window

    def start_scaled(self, cwd, factor):
        self.environment["QUOREL_SCALE"] = str(factor)
        try:
            return self.start(cwd)
        finally:
            del self.environment["QUOREL_SCALE"]

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
        self.screen.watch(box)
        repeat_until("the box %r to close after %s" % (box.name, key),
                     lambda: self.screen.keys(box, key), lambda: self.screen.gone(box),
                     self.box_timeout)

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

    # --- assistive technology: the window's frame on the accessibility bus, read by pyatspi ---

    @staticmethod
    def access_state(focused, visited):
        return ["focusable"] + (["focused"] if focused else []) + (["visited"] if visited else [])

    def access_listen(self):
        answer = self.atspi.ask("listen")
        if answer != "ok":
            raise AssertionError("pyatspi could not listen: %s" % answer)

    def access(self, menu):
        """The frame as check_access reads it: (self, children) in the Wine helper's shape; the
        frame's focus is the child that is told focused. The menu registers its objects a
        moment after its window shows: they are waited for."""
        frame = wait_for("the menu's frame on the accessibility bus",
                         lambda: self.atspi.ask("read %d" % menu.process.pid),
                         self.state_timeout, 0.2)
        if not isinstance(frame, dict):
            raise AssertionError("pyatspi could not read the frame: %s" % frame)
        children = [dict(c, child=n, state=c["states"])
                    for n, c in enumerate(frame["children"], 1)]
        focus = [c["child"] for c in children if "focused" in c["state"]]
        whole = {"name": frame["name"], "role": frame["role"], "state": frame["states"],
                 "focus": focus[0] if len(focus) == 1 else 0}
        return whole, children

    def access_press(self, menu, child):
        return self.atspi.ask("press %d %d" % (menu.process.pid, child - 1))

    def access_events(self, menu):
        """The focus and children-changed events of the menu heard since the last call."""
        return [tuple(e) for e in self.atspi.ask("events %d" % menu.process.pid)]

    def check_silent_bus(self, results, folder, plain):
        """A menu whose accessibility bus lets it connect and never answers opens and takes
        keys as promptly as any: its first picture, then two Tabs that each move the highlight
        (the picture changes) within the usual times, the second once the menu has had ample
        time to look for its bus."""
        with atspi_session.stopped_bus(self.work, self.environment) as address:
            self.environment["AT_SPI_BUS_ADDRESS"] = address
            try:
                menu = self.start(folder)
            finally:
                del self.environment["AT_SPI_BUS_ADDRESS"]
            try:
                window = self.wait_main(menu)
                wait_for("the first picture", lambda: self.screen.picture(window).rgb ==
                         plain.rgb, self.picture_timeout, self.picture_poll)
                answered = []
                for pause in (0.0, 2.0):
                    # The bus is looked for right after the first picture: a menu stuck on it
                    # would be stuck well before the second Tab.
                    time.sleep(pause)
                    before = self.screen.picture(window).rgb
                    self.send_key(window, "Tab")
                    try:
                        wait_for("the Tab's highlight", lambda: self.screen.picture(
                            window).rgb != before, self.state_timeout, self.picture_poll)
                        answered.append(pause)
                    except TimeoutError:
                        break
                results.check("a menu whose accessibility bus never answers shows its picture "
                              "and answers Tab, at once and later", len(answered) == 2,
                              "answered the Tabs after pauses %r%s" % (answered, menu.errors()))
            finally:
                menu.kill()

    def prepare_keys(self, pointer, rest):
        """Keys go to the window directly: nothing to do first."""

    def send_key(self, window, key):
        self.screen.keys(window, key)

    # --- the restart recovery ----------------------------------------------------------------

    def restart_recovery(self):
        """Which parts of the restart recovery exist: session file, reload program, log-on
        entry."""
        return {"session file": os.path.exists(self.session_path()),
                "reload program": os.path.exists(self.reload_program),
                "log-on entry": os.path.exists(self.autostart)}

    def recovery_places(self):
        """What recovery() looks at: here the build's own three places."""
        return self

    def recovery(self):
        return self.restart_recovery()

    def check_hangup(self, results, folder):
        """The end of a desktop session with SIGHUP (the display's session going away): the
        program ends and leaves all three for the next log-on."""
        menu = self.start(folder)
        try:
            self.wait_main(menu)
            menu.process.send_signal(signal.SIGHUP)
            code = menu.exit_code(self.box_timeout)
            recovery = self.restart_recovery()
            results.check("restart: SIGHUP ends the menu with 0 and leaves all three",
                          code == 0 and all(recovery.values()),
                          "exit code %s, %r%s" % (code, recovery, menu.errors()))
        finally:
            menu.kill()

    def refuse_reload_program(self):
        """Nothing refuses it here; returns how to undo nothing."""
        return lambda: None

    def written_reload_program(self, places, results):
        return self.reload_program

    def end_session(self, menu, window, results, places):
        """The end of a desktop session: SIGTERM ends the program, the recovery stays."""
        menu.process.send_signal(signal.SIGTERM)
        code = menu.exit_code(self.box_timeout)
        results.check("restart: SIGTERM ends the menu with 0", code == 0,
                      "exit code %s%s" % (code, menu.errors()))

    def run_logon(self, places, cwd):
        """Runs the autostart entry's command as a desktop does at log-on: (command, code)."""
        command = self.autostart_argv()
        code = subprocess.run(command, cwd=cwd, env=self.environment,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=self.start_timeout).returncode
        return command, code

    def autostart_argv(self):
        """The autostart entry's Exec as an argument vector, by the test-support parser."""
        with open(self.autostart, encoding="utf-8") as f:
            lines = [line.rstrip("\n") for line in f]
        exec_lines = [line[len("Exec="):] for line in lines if line.startswith("Exec=")]
        if len(exec_lines) != 1:
            raise AssertionError("the autostart entry has no one Exec line: %r" % lines)
        if not self.exec_parser:
            raise AssertionError("reading the autostart entry's Exec line needs --exec-parser "
                                 "(quorel_e2e_exec_parser)")
        result = subprocess.run([self.exec_parser, exec_lines[0]], capture_output=True,
                                timeout=30)
        if result.returncode != 0:
            raise AssertionError("the autostart entry's Exec line %r does not parse: %s" % (
                exec_lines[0], result.stderr.decode(errors="replace")))
        argv = [a.decode("utf-8", "surrogateescape") for a in result.stdout.split(b"\0")[:-1]]
        if not argv:
            raise AssertionError("the autostart entry's Exec line is empty")
        return argv

    def check_nothing_left_anywhere(self, places, results):
        """The three places are all there are here; restart_recovery has looked at them."""

    # --- the disc folder ---------------------------------------------------------------------

    def dist_skip_reason(self, options):
        if not options.portable or not os.path.exists(os.path.join(options.portable, "quorel")):
            return "the portable program is not built here (the linux preset builds it as root)"
        if os.geteuid() != 0:
            return "starting the disc in Debian roots needs root (chroot, mounts)"
        return None

    def dist_programs(self, options, work):
        """The Windows program and the portable Linux folder that go on the disc: the Windows
        half plays no part here."""
        exe = os.path.join(work, "stand-in.exe")
        with open(exe, "wb") as f:
            f.write(b"MZ")
        return exe, options.portable

    def disc_systems(self, options):
        """(label, Debian root) of each system the disc is started in."""
        systems = []
        for name, folder in DISC_SYSTEMS:
            root = os.path.join(options.roots or "", folder)
            if not os.path.exists(os.path.join(root, ".quorel-root")):
                raise AssertionError("the Debian root %s is missing (ctest's e2e_root tests "
                                     "make it)" % root)
            systems.append((name, root))
        return systems

    def _start_in_root(self, disc, root, log, hidden=None):
        """autorun.sh from the disc mounted (read-only) at DISC_MOUNT inside root, with the X
        socket and /proc bound in and the user's folders on a scratch file system: a mount
        namespace of its own keeps all of it out of the kept root. hidden, a library of the
        root, is covered by an empty file. unshare, sh, chroot and env exec, so the menu keeps
        the started process id."""
        inside = {"PATH": "/usr/bin:/bin", "DISPLAY": self.screen.name, "HOME": "/tmp/home",
                  "XDG_RUNTIME_DIR": "/tmp/runtime", "QUOREL_WINDIR": "/tmp/windir"}
        for name in ("LANG", "LC_ALL", "LC_MESSAGES", "QUOREL_COUNTRY"):
            if name in self.environment:
                inside[name] = self.environment[name]
        script = """
            set -e
            mount -t tmpfs tmpfs "$1/tmp"
            mkdir -m 700 "$1/tmp/home" "$1/tmp/runtime" "$1/tmp/windir"
            mkdir "$1/tmp/.X11-unix"
            mount --bind /tmp/.X11-unix "$1/tmp/.X11-unix"
            mount --bind /proc "$1/proc"
            mount -t tmpfs tmpfs "$1/media"
            mkdir -p "$1$3"
            mount --bind "$2" "$1$3"
            mount -o remount,bind,ro "$1$3"
            [ -z "$4" ] || mount --bind /dev/null "$1$4"
            root=$1 mountpoint=$3
            shift 4
            exec chroot "$root" env -i "$@" sh "$mountpoint/autorun.sh"
        """
        command = ["unshare", "-m", "--propagation", "private", "sh", "-c", script, "sh", root,
                   disc, DISC_MOUNT, hidden or ""] + ["%s=%s" % kv for kv in inside.items()]
        with open(log, "wb") as errors:
            return Menu(subprocess.Popen(command, cwd="/", stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=errors), log)

    def start_disc(self, results, disc, work, system):
        """The disc started in one system's root; returns the menu and the label of its
        checks. What it opens from the disc is recorded from here on."""
        name, root = system
        self.opened = OpenedFiles(disc)
        label = "dist %s" % name
        return self._start_in_root(disc, root, os.path.join(work, "dist-%s.log" % name.replace(
            " ", "")), None), label

    def check_disc_start(self, results, menu, disc, label):
        """Called once its picture is shown: what it opened from the disc by then."""
        files = self.opened.files()
        self.opened.close()
        size = sum(os.path.getsize(f) for f in files)
        print("     %s: opened %d files, %d bytes from the disc before its first picture" % (
            label, len(files), size), flush=True)
        results.check("%s: at most %d bytes opened from the disc before the first picture" % (
            label, DISC_START_BYTES), size <= DISC_START_BYTES, "%d bytes: %r" % (size, files))

    def check_disc_end(self, results, menu, disc, work, system, label):
        """Nothing on standard error all along (no sound library, no device: silence). Then,
        with the root's X client library covered, one line that names it and exit code 1."""
        with open(menu.log, "rb") as f:
            said = f.read().decode(errors="replace")
        results.check("%s: nothing on standard error" % label, said == "", repr(said))
        name, root = system
        log = os.path.join(work, "dist-nox.log")
        missing = "libX11.so.6"
        lonely = self._start_in_root(disc, root, log, "/usr/lib/x86_64-linux-gnu/" + missing)
        try:
            code = lonely.exit_code(self.start_timeout)
        finally:
            lonely.kill()
        with open(log, "rb") as f:
            lines = f.read().decode(errors="replace").splitlines()
        results.check("%s: without %s one line names it, exit code 1" % (label, missing),
                      code == 1 and len(lines) == 1 and missing in lines[0],
                      "exit code %s, %r" % (code, lines))
