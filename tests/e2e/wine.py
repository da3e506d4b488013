# Wine for the end-to-end tests: the shared prefix, one wineserver kept alive for the run, and
# the Win32 window helper driven through a pipe. Standard library and the wine commands only.
import os
import queue
import shutil
import subprocess
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


def windows_path(path):
    """A Linux path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WinePrefix:
    """The build's Wine prefix (made by scripts/wine-run.sh) with a wineserver that stays up
    between the test's Wine processes; stop() ends the server if this run started it."""

    def __init__(self, display_name):
        for tool in ("wine", "wineserver"):
            if shutil.which(tool) is None:
                raise RuntimeError("%s is missing; run scripts/bootstrap.sh" % tool)
        self.path = os.environ.get("QUOREL_WINEPREFIX",
                                   os.path.join(ROOT, "build", "wineprefix"))
        self.environment = dict(os.environ, WINEPREFIX=self.path, WINEDEBUG="-all",
                                WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display_name)
        if not os.path.exists(os.path.join(self.path, ".quorel-ready")):
            # The script makes the prefix once (under its lock) before it runs a program;
            # "hostname.exe" is a tiny program that every prefix has.
            subprocess.run([WINE_RUN, "hostname.exe"], env=self.environment, check=True,
                           stdout=subprocess.DEVNULL, timeout=1200)
        self.windows_dir = os.path.join(self.path, "drive_c", "windows")
        # A server left by the Wine tests just before lingers a few seconds with their display
        # (gone by now, or none): a menu started under it ends without showing a window. Wait
        # for it to end; one that stays (persistent) is left alone.
        try:
            subprocess.run(["wineserver", "-w"], env=self.environment, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass
        # A persistent server keeps Wine's own services up between our processes. If a server
        # already runs for this prefix, wineserver -p leaves it alone and ends with an error;
        # then it is not ours to stop.
        started = subprocess.run(["wineserver", "-p"], env=self.environment,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 timeout=120)
        self.own_server = started.returncode == 0

    def start(self, program, arguments=(), cwd=None, stdin=subprocess.DEVNULL,
              stdout=subprocess.DEVNULL, environment=None, stderr=subprocess.DEVNULL):
        return subprocess.Popen(["wine", program] + list(arguments), cwd=cwd,
                                env=environment or self.environment, stdin=stdin, stdout=stdout,
                                stderr=stderr)

    def _reg(self, *arguments):
        """reg.exe with arguments. It is a 64-bit program: the 64-bit loader runs it without
        emulation."""
        loader = "/usr/lib/wine/wine64" if os.access("/usr/lib/wine/wine64", os.X_OK) else "wine"
        return subprocess.run([loader, "reg"] + list(arguments), env=self.environment,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              errors="replace", timeout=300)

    def set_registry_value(self, key, name, value, kind="REG_SZ"):
        """Sets a value (None: deletes it); raises when reg.exe refuses."""
        if value is None:
            result = self._reg("delete", key, "/v", name, "/f")
        else:
            result = self._reg("add", key, "/v", name, "/t", kind, "/d", str(value), "/f")
        if result.returncode != 0 and value is not None:
            raise RuntimeError("reg add %s %s: %s" % (key, name, result.stderr.strip()))

    def registry_value(self, key, name):
        """A value of the 32-bit registry view, or None when it is missing."""
        result = self._reg("query", key, "/v", name, "/reg:32")
        if result.returncode != 0:
            return None
        for line in result.stdout.splitlines():
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[0].lower() == name.lower():
                return parts[2]
        return None

    def stop(self):
        if self.own_server:
            subprocess.run(["wineserver", "-k"], env=self.environment,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


class HelperWindow:
    """One line of the helper's list: a visible top-level Win32 window."""

    def __init__(self, line):
        fields = line.split("\t")
        self.hwnd = fields[0]
        self.class_name = _unescape(fields[1])
        self.caption = _unescape(fields[2])
        self.width, self.height = int(fields[3]), int(fields[4])
        self.pid = int(fields[5])
        self.children = [_unescape(f[1:]) for f in fields[6:] if f.startswith("|")]

    def __repr__(self):
        return "%s %s %r %dx%d pid %d %r" % (self.hwnd, self.class_name, self.caption, self.width,
                                             self.height, self.pid, self.children)


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class WindowHelper:
    """The Win32 helper program, started once and fed commands through its standard input."""

    def __init__(self, prefix, helper_exe, start_timeout=600):
        self.process = prefix.start(helper_exe, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        # The first answer also tells that the (slow) start is over.
        self.windows(timeout=start_timeout)

    def _read(self):
        for raw in self.process.stdout:
            self._lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self._lines.put(None)

    def _line(self, timeout):
        try:
            line = self._lines.get(timeout=timeout)
        except queue.Empty:
            raise TimeoutError("the window helper did not answer within %gs" % timeout)
        if line is None:
            raise RuntimeError("the window helper ended (exit code %s)" % self.process.poll())
        return line

    def _send(self, command):
        self.process.stdin.write((command + "\n").encode("utf-8"))
        self.process.stdin.flush()

    def windows(self, timeout=60):
        self._send("list")
        found = []
        while True:
            line = self._line(timeout)
            if line == "end":
                return found
            found.append(HelperWindow(line))

    def click(self, window, text):
        """Presses the button of window whose text is text: "ok" or "missing"."""
        self._send("click %s %s" % (window.hwnd, text))
        return self._line(60)

    def post(self, verb, window, number):
        """Posts WM_COMMAND ("command") or WM_SYSCOMMAND ("syscommand") with number to window."""
        self._send("%s %s %d" % (verb, window.hwnd, number))
        answer = self._line(60)
        if answer != "ok":
            raise AssertionError("the helper could not post %s %d to %r: %s" % (
                verb, number, window, answer))

    def end_session(self, window):
        """WM_QUERYENDSESSION then WM_ENDSESSION to window: the query's answer (1: may end)."""
        self._send("endsession %s" % window.hwnd)
        answer = self._line(60)
        if not answer.startswith("ok "):
            raise AssertionError("the helper could not end the session of %r: %s" % (window,
                                                                                  answer))
        return int(answer[3:])

    def run(self, command, timeout=600):
        """Starts a command line as the log-on starts a Run value and waits for it: its exit
        code."""
        self._send("run %s" % command)
        answer = self._line(timeout + 60)
        if not answer.startswith("exit "):
            raise AssertionError("the helper could not run %r: %s" % (command, answer))
        return int(answer[5:])

    def load(self, path):
        """Loads the library at the full path into the helper: "ok" or "failed ERROR"."""
        self._send("load %s" % path)
        return self._line(120)

    def access(self, window):
        """The window's client object as the helper reads it: (self, children), self a dict of
        name, role, state, count, focus; each child a dict of child, name, description, role,
        state, location (left, top, width, height), action, hit and next."""
        self._send("access %s" % window.hwnd)
        first = self._line(60)
        if first.startswith("failed"):
            raise AssertionError("no client object for %r: %s" % (window, first))
        fields = first.split("\t")
        whole = {"name": _unescape(fields[1]), "role": int(fields[2]), "state": int(fields[3]),
                 "count": int(fields[4]), "focus": int(fields[5])}
        children = []
        while True:
            line = self._line(60)
            if line == "end":
                return whole, children
            f = line.split("\t")
            children.append({"child": int(f[0]), "name": _unescape(f[1]),
                             "description": _unescape(f[2]), "role": int(f[3]),
                             "state": int(f[4]), "location": tuple(int(n) for n in f[5:9]),
                             "action": _unescape(f[9]), "hit": int(f[10]), "next": int(f[11])})

    def press(self, window, child):
        """accDoDefaultAction on the child: "ok" or "failed HRESULT"."""
        self._send("press %s %d" % (window.hwnd, child))
        return self._line(60)

    def hook(self):
        """Starts listening to focus and reorder events."""
        self._send("hook")
        answer = self._line(60)
        if answer != "ok":
            raise AssertionError("the helper could not hook the events: %s" % answer)

    def events(self):
        """The events heard since the last call: ("focus", hwnd, child) or ("reorder", hwnd)."""
        self._send("events")
        heard = []
        while True:
            line = self._line(60)
            if line == "end":
                return heard
            parts = line.split()
            heard.append((parts[0], parts[1]) + tuple(int(p) for p in parts[2:]))

    def find(self, class_name=None, caption=None, child=None, exclude=()):
        return [w for w in self.windows()
                if (class_name is None or w.class_name == class_name)
                and (caption is None or w.caption == caption)
                and (child is None or any(child in c for c in w.children))
                and w.hwnd not in exclude]

    def gone(self, window):
        return all(w.hwnd != window.hwnd for w in self.windows())

    def stop(self):
        if self.process.poll() is None:
            try:
                self._send("quit")
                self.process.wait(60)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()

