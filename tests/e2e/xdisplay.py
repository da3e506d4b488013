# An Xvfb display for the end-to-end tests and what they do on it: list top-level windows, take
# a window's picture, send a close request, keys and clicks. python3-xlib and xdotool only.
import os
import select
import shutil
import subprocess
import time

from Xlib import X, Xatom
from Xlib import display as xdisplay
from Xlib import error as xerror
from Xlib.protocol import event as xevent

from pictures import Picture


def wait_for(what, probe, timeout, interval=0.1):
    """Calls probe until it returns something true and returns that; raises TimeoutError
    naming what was awaited when the deadline passes first."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise TimeoutError("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(interval)


def repeat_until(what, act, done, timeout, pause=3.0, interval=0.1):
    """Does act, then waits for done; while done does not hold, acts again after a pause that
    grows with each try, until timeout has passed. Only for steps that are harmless to repeat
    (answering a box that is still there): on a busy machine a first key may be lost. Returns
    the number of tries."""
    deadline = time.monotonic() + timeout
    tries = 0
    while not done():
        left = deadline - time.monotonic()
        if left <= 0:
            raise TimeoutError("timed out after %gs waiting for %s (%d tries)" %
                               (timeout, what, tries))
        tries += 1
        act()
        try:
            wait_for(what, done, min(pause * tries, left), interval)
        except TimeoutError:
            continue
    return tries


class Window:
    """A viewable top-level window: X id, name, position and size of its area, owner pid."""

    def __init__(self, xid, name, x, y, width, height, pid):
        self.xid = xid
        self.name = name
        self.x, self.y, self.width, self.height = x, y, width, height
        self.pid = pid

    def __repr__(self):
        return "0x%x %r %dx%d+%d+%d pid %s" % (self.xid, self.name, self.width, self.height,
                                                self.x, self.y, self.pid)


class Xvfb:
    """An Xvfb server on a display number it picks itself, with no window manager."""

    def __init__(self, width=1024, height=768, timeout=30):
        if shutil.which("Xvfb") is None:
            raise RuntimeError("Xvfb is missing (Debian: xvfb)")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        try:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(left, 0))
                if not ready:
                    raise TimeoutError("Xvfb did not report its display within %gs" % timeout)
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise RuntimeError("Xvfb ended before it reported its display")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()
        self.display = wait_for("Xvfb %s to accept connections" % self.name,
                                self._connect, timeout)

    def _connect(self):
        try:
            return xdisplay.Display(self.name)
        except (xerror.DisplayError, ConnectionError, OSError):
            return None

    def stop(self):
        if getattr(self, "display", None) is not None:
            try:
                self.display.close()
            except Exception:  # the server may be gone already
                pass
            self.display = None
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Screen:
    """Reads and drives the windows of one display through its own connection."""

    def __init__(self, display_name):
        self.name = display_name
        self.display = xdisplay.Display(display_name)
        self.root = self.display.screen().root
        self._atoms = {}
        self._watched = {}  # xid: whether its end has been noticed

    def atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = self.display.intern_atom(name)
        return self._atoms[name]

    def close(self):
        self.display.close()

    # --- windows ---------------------------------------------------------------------------

    def _name(self, window):
        reply = window.get_full_property(self.atom("_NET_WM_NAME"), self.atom("UTF8_STRING"))
        if reply is not None and reply.value is not None:
            value = reply.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
        reply = window.get_full_property(Xatom.WM_NAME, X.AnyPropertyType)
        if reply is None or reply.value is None:
            return ""
        value = reply.value
        return value.decode("latin-1") if isinstance(value, bytes) else str(value)

    def _pid(self, window):
        reply = window.get_full_property(self.atom("_NET_WM_PID"), Xatom.CARDINAL)
        return int(reply.value[0]) if reply is not None and len(reply.value) else None

    def windows(self):
        """The viewable top-level windows, bottom first. Without a window manager they are
        the root's children, and each one's geometry is its client area."""
        found = []
        for child in self.root.query_tree().children:
            try:
                if child.get_attributes().map_state != X.IsViewable:
                    continue
                geometry = child.get_geometry()
                found.append(Window(child.id, self._name(child), geometry.x, geometry.y,
                                    geometry.width, geometry.height, self._pid(child)))
            except (xerror.BadWindow, xerror.BadDrawable):
                continue  # gone while we looked
        return found

    def find(self, name=None, pid=None, exclude=()):
        """Viewable top-level windows with this exact name and owner pid (None: any)."""
        return [w for w in self.windows()
                if (name is None or w.name == name) and (pid is None or w.pid == pid)
                and w.xid not in exclude]

    def exists(self, xid):
        return any(w.xid == xid for w in self.windows())

    def watch(self, window):
        """Asks the server to tell when the window is unmapped or destroyed; gone(window) then
        answers from that notice. The X server may give a destroyed window's id at once to the
        next window of another client (a box that follows a box), so a window's end cannot be
        told by its id no longer being listed."""
        self._drain()  # notices about earlier windows of this id belong to them
        catcher = xerror.CatchError()
        target = self.display.create_resource_object("window", window.xid)
        target.change_attributes(event_mask=X.StructureNotifyMask, onerror=catcher)
        self.display.sync()
        self._watched[window.xid] = catcher.get_error() is not None  # an error: gone already

    def gone(self, window):
        """True once the watched window has been unmapped or destroyed."""
        self._drain()
        return self._watched.get(window.xid, True)

    def _drain(self):
        self.display.sync()  # every notice the server sent so far is read
        while self.display.pending_events():
            event = self.display.next_event()
            if event.type in (X.UnmapNotify, X.DestroyNotify) and event.window.id in self._watched:
                self._watched[event.window.id] = True
        for xid in [xid for xid, ended in self._watched.items() if ended]:
            del self._watched[xid]

    # --- pictures --------------------------------------------------------------------------

    def picture(self, window):
        """The window's area as the screen shows it (from the root, so boxes on top of it
        are part of the picture)."""
        screen = self.display.screen()
        x, y = max(window.x, 0), max(window.y, 0)
        width = min(window.width, screen.width_in_pixels - x)
        height = min(window.height, screen.height_in_pixels - y)
        image = self.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data if isinstance(image.data, bytes) else image.data.encode("latin-1")
        visual = screen.root_visual
        for v in (d for depth in screen.allowed_depths for d in depth.visuals):
            if v.visual_id == visual:
                red_mask, blue_mask = v.red_mask, v.blue_mask
                break
        else:
            red_mask, blue_mask = 0xFF0000, 0xFF
        bits = len(data) * 8 // (width * height) if width * height else 32
        if bits != 32 or {red_mask, blue_mask} != {0xFF0000, 0xFF}:
            raise RuntimeError("unsupported screen format: %d bits, masks %x/%x" %
                               (bits, red_mask, blue_mask))
        lsb = self.display.display.info.image_byte_order == X.LSBFirst
        red = (2 if red_mask == 0xFF0000 else 0) if lsb else (1 if red_mask == 0xFF0000 else 3)
        blue = (0 if red_mask == 0xFF0000 else 2) if lsb else (3 if red_mask == 0xFF0000 else 1)
        green = 1 if lsb else 2
        rgb = bytearray(width * height * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = data[red::4], data[green::4], data[blue::4]
        return Picture(width, height, rgb)

    # --- input -----------------------------------------------------------------------------

    def request_close(self, window):
        """A close request as a window manager sends it: WM_DELETE_WINDOW."""
        target = self.display.create_resource_object("window", window.xid)
        message = xevent.ClientMessage(
            window=target, client_type=self.atom("WM_PROTOCOLS"),
            data=(32, [self.atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        target.send_event(message, event_mask=X.NoEventMask, propagate=False)
        self.display.flush()

    def _xdotool(self, *arguments):
        environment = dict(os.environ, DISPLAY=self.name)
        subprocess.run(["xdotool"] + [str(a) for a in arguments], env=environment, check=True,
                       stdout=subprocess.DEVNULL, timeout=30)

    def focus(self, window, timeout=5):
        """Gives the window the input focus (there is no window manager to do it) and waits
        until the server reports it. False when the window is gone or unmapped meanwhile, or
        the focus did not arrive in time."""
        target = self.display.create_resource_object("window", window.xid)
        catcher = xerror.CatchError()  # a window that went away must not end the run
        # Should the window go before the keys arrive (a box closing late from an earlier key),
        # the focus goes to none, so the keys cannot land in a box that came up in its place.
        target.set_input_focus(X.RevertToNone, X.CurrentTime, onerror=catcher)
        self.display.sync()
        if catcher.get_error() is not None:
            return False
        try:
            wait_for("focus on %r" % window,
                     lambda: self.display.get_input_focus().focus.id == window.xid, timeout)
        except TimeoutError:
            return False
        return True

    def keys(self, window, *names):
        """Focuses the window and types the keys (xdotool names such as alt+slash, Return)
        through XTEST, as a keyboard would. False when the window could not take the focus
        (gone, or not mapped): nothing is typed then, so no key lands elsewhere."""
        if not self.focus(window):
            return False
        self.press(*names)
        return True

    def press(self, *names):
        """Types the keys through XTEST to whichever window has the focus."""
        self._xdotool("key", "--clearmodifiers", *names)

    def move_pointer(self, x, y):
        self._xdotool("mousemove", "--sync", x, y)

    def click(self, button=1, hold=0.0):
        """A click through XTEST; with hold, the button stays down that long, so that a slow
        client (Wine) sees the press and the release as two events."""
        if hold <= 0:
            self._xdotool("click", button)
            return
        self._xdotool("mousedown", button)
        time.sleep(hold)  # part of the gesture
        self._xdotool("mouseup", button)
