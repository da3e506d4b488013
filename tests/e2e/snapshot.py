#!/usr/bin/python3
# Shows the menu program once on a private Xvfb display and saves its window as PNG, then closes
# it as a user would (close request, Yes). Used by `make run` on machines without a display.
import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pictures import write_png  # noqa: E402
from xdisplay import Screen, Xvfb, repeat_until, wait_for  # noqa: E402


def stable_picture(screen, window, timeout):
    """The window's picture once two pictures in a row agree (the opening effect is over)."""
    last = {}

    def settled():
        picture = screen.picture(window)
        same = last.get("picture") is not None and last["picture"].rgb == picture.rgb
        last["picture"] = picture
        return picture if same else None

    return wait_for("the window to stop changing", settled, timeout, 0.3)


def main():
    parser = argparse.ArgumentParser(description="Saves a picture of the menu window.")
    parser.add_argument("--quorel", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("arguments", nargs="*", help="the menu program's arguments")
    options = parser.parse_args()

    xvfb = Xvfb()
    screen = Screen(xvfb.name)
    menu = None
    try:
        with tempfile.TemporaryDirectory(prefix="quorel-run-") as work:
            # The session file, reload program and log-on entry of this run stay in work.
            environment = dict(os.environ, DISPLAY=xvfb.name, SDL_AUDIODRIVER="dummy",
                               QUOREL_WINDIR=os.path.join(work, "state"),
                               XDG_CONFIG_HOME=os.path.join(work, "config"),
                               XDG_RUNTIME_DIR=work)
            screen.move_pointer(0, 0)
            menu = subprocess.Popen([os.path.abspath(options.quorel)] + options.arguments,
                                    env=environment, stdin=subprocess.DEVNULL)
            window = wait_for("the menu window",
                              lambda: menu.poll() is not None or screen.find(pid=menu.pid), 30)
            if menu.poll() is not None:
                print("run: the menu program ended with %d before it showed a window" %
                      menu.returncode, file=sys.stderr)
                return 1
            window = window[-1]
            write_png(options.out, stable_picture(screen, window, 30))
            print("run: %r, %dx%d, saved as %s" % (window.name, window.width, window.height,
                                                    options.out))
            try:
                screen.request_close(window)
                box = wait_for("the exit question",
                               lambda: screen.find(exclude=(window.xid,)), 10)[-1]
                # Return answers the first button, Yes; repeated while the box stays.
                repeat_until("the exit question to close", lambda: screen.keys(box, "Return"),
                             lambda: not screen.exists(box.xid), 30)
                menu.wait(10)
            except (TimeoutError, subprocess.TimeoutExpired) as problem:
                print("run: the menu did not close when asked (%s); ending it" % problem,
                      file=sys.stderr)
            return 0
    finally:
        if menu is not None and menu.poll() is None:
            menu.kill()
            menu.wait()
        screen.close()
        xvfb.stop()


if __name__ == "__main__":
    sys.exit(main())
