#!/usr/bin/python3
# What a screen reader on Linux reads of a menu window, through pyatspi (Debian's python3-pyatspi
# for /usr/bin/python3) on the accessibility bus of the session in DBUS_SESSION_BUS_ADDRESS.
# Takes one command a line on standard input and answers one JSON line:
#   listen             starts hearing focus and children-changed events -> "ok"
#   read PID           the frame of process PID -> {"name", "role", "states", "children": [
#                      {"name", "description", "role", "states", "location", "action", "hit"}]}
#                      (null while the process has no frame)
#   press PID INDEX    the child's first action -> "ok" or why not
#   events PID         what was heard from PID since the last call: ["focus", child] (numbered
#                      from 1, as it gains the focused state) and ["reorder"] (children changed)
import json
import select
import sys

import pyatspi
from gi.repository import GLib

heard = []


def states_of(accessible):
    """The state names of interest (the rest, such as showing, say nothing of the menu)."""
    kept = {pyatspi.STATE_FOCUSABLE: "focusable", pyatspi.STATE_FOCUSED: "focused",
            pyatspi.STATE_VISITED: "visited"}
    state_set = accessible.getState()
    return sorted(name for state, name in kept.items() if state_set.contains(state))


def frame_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for application in desktop:
        if application is not None and application.get_process_id() == pid:
            return application[0] if application.childCount > 0 else None
    return None


def read(pid):
    frame = frame_of(pid)
    if frame is None:
        return None
    children = []
    area = frame.queryComponent()
    for child in frame:
        box = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        action = child.queryAction()
        hit = area.getAccessibleAtPoint(box.x, box.y, pyatspi.DESKTOP_COORDS)
        children.append({"name": child.name, "description": child.description,
                         "role": child.getRoleName(), "states": states_of(child),
                         "location": [box.x, box.y, box.width, box.height],
                         "action": action.getName(0) if action.nActions == 1 else None,
                         "hit": hit.getIndexInParent() + 1 if hit is not None else 0})
    return {"name": frame.name, "role": frame.getRoleName(), "states": states_of(frame),
            "children": children}


def press(pid, index):
    frame = frame_of(pid)
    if frame is None or index >= frame.childCount:
        return "no such entry"
    return "ok" if frame[index].queryAction().doAction(0) else "refused"


def on_event(event):
    try:
        pid = event.source.getApplication().get_process_id()
    except Exception:  # the source went away meanwhile
        return
    if event.type.startswith("object:children-changed"):
        heard.append((pid, ["reorder"]))
    elif event.detail1 == 1:
        heard.append((pid, ["focus", event.source.getIndexInParent() + 1]))


def answer(line):
    words = line.split()
    if words[0] == "listen":
        pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused",
                                               "object:children-changed")
        return "ok"
    pid = int(words[1])
    if words[0] == "read":
        return read(pid)
    if words[0] == "press":
        return press(pid, int(words[2]))
    if words[0] == "events":
        mine = [event for source, event in heard if source == pid]
        heard[:] = [(source, event) for source, event in heard if source != pid]
        return mine
    return "unknown command %r" % line


def main():
    context = GLib.MainContext.default()
    while True:
        while context.pending():
            context.iteration(False)
        ready, _, _ = select.select([sys.stdin], [], [], 0.05)
        if not ready:
            continue
        line = sys.stdin.readline()
        if not line or line.strip() == "quit":
            return 0
        try:
            result = answer(line)
        except Exception as problem:  # the answer says what went wrong; the helper goes on
            result = "failed: %s: %s" % (type(problem).__name__, problem)
        print(json.dumps(result), flush=True)


if __name__ == "__main__":
    sys.exit(main())
