# A private desktop session bus for the Linux build's screen-reader checks: dbus-daemon on a
# socket in the run's folder, which starts the accessibility bus and its registry (at-spi2-core)
# when the menu asks for them, and the pyatspi reader (atspi_reader.py) on it. Everything it
# started, the services the bus started included, is ended and reaped by stop().
import contextlib
import ctypes
import json
import os
import shutil
import signal
import subprocess
import time

from xdisplay import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
PR_SET_CHILD_SUBREAPER = 36
READER_PYTHON = "/usr/bin/python3"  # Debian's python3-pyatspi is for it


def skip_reason():
    """Why the session cannot be had here, or None."""
    if shutil.which("dbus-daemon") is None:
        return "dbus-daemon is not installed (scripts/bootstrap.sh installs it)"
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        return "at-spi2-core is not installed (scripts/bootstrap.sh installs it)"
    check = subprocess.run([READER_PYTHON, "-c", "import pyatspi"], capture_output=True)
    if check.returncode != 0:
        return "python3-pyatspi is not installed (scripts/bootstrap.sh installs it)"
    return None


class AtspiSession:
    def __init__(self, folder, environment):
        """Starts the bus in folder with environment (DISPLAY, XDG_RUNTIME_DIR, HOME: where
        the accessibility bus puts its socket) and sets DBUS_SESSION_BUS_ADDRESS in it."""
        # Services the bus starts leave it as orphans: they come back to this process, which
        # ends and reaps them, rather than to an init that may not reap.
        ctypes.CDLL(None).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
        socket = os.path.join(folder, "session-bus")
        self.address = "unix:path=" + socket
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                     "--address=" + self.address], env=environment,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, start_new_session=True)
        self.reader = None
        wait_for("the session bus's socket", lambda: os.path.exists(socket), 20)
        environment["DBUS_SESSION_BUS_ADDRESS"] = self.address
        self.environment = environment

    def ask(self, command, timeout=60):
        """One command to the reader, started at the first; its JSON answer."""
        if self.reader is None:
            self.reader = subprocess.Popen([READER_PYTHON, os.path.join(HERE, "atspi_reader.py")],
                                           env=self.environment, stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, text=True,
                                           start_new_session=True)
        self.reader.stdin.write(command + "\n")
        self.reader.stdin.flush()
        line = self.reader.stdout.readline()
        if not line:
            raise AssertionError("the pyatspi reader ended at %r" % command)
        return json.loads(line)

    def stop(self):
        if self.reader is not None:
            try:
                self.reader.communicate("quit\n", timeout=20)
            except subprocess.TimeoutExpired:
                self.reader.kill()
                self.reader.wait()
        group = self.bus.pid
        self.bus.terminate()
        self.bus.wait()
        # The launcher and the registry end with the bus; whatever has not within a while is
        # ended, and all of them reaped.
        deadline = time.monotonic() + 10
        while True:
            left = _in_group(group)
            if not left:
                return
            if time.monotonic() > deadline + 5:
                raise AssertionError("the session's processes %r do not end" % left)
            if time.monotonic() > deadline:
                for pid in left:
                    os.kill(pid, signal.SIGKILL)
            for pid in left:
                try:
                    if os.waitpid(pid, os.WNOHANG)[0] == 0:
                        time.sleep(0.1)
                except ChildProcessError:
                    pass  # not ours: left to its parent


@contextlib.contextmanager
def stopped_bus(folder, environment):
    """The address of a bus that lets connections in and never answers (its daemon stopped),
    for as long as the block runs; the daemon is ended after."""
    socket = os.path.join(folder, "stopped-bus")
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                               "--address=unix:path=" + socket], env=environment,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        wait_for("the stopped bus's socket", lambda: os.path.exists(socket), 20)
        daemon.send_signal(signal.SIGSTOP)
        yield "unix:path=" + socket
    finally:
        daemon.send_signal(signal.SIGCONT)
        daemon.terminate()
        daemon.wait()


def _in_group(group):
    """The live or unreaped processes of process group group."""
    found = []
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open("/proc/%s/stat" % name) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if int(fields[2]) == group:
                found.append(int(name))
    return found
