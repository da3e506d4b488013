# The restart recovery end to end: a menu two levels deep ends with the session of the desktop
# (and, under Wine, then by a hard kill, with the Windows directory refusing the reload program),
# the log-on command brings it back, and a confirmed exit leaves nothing behind anywhere.
import os
import shutil
import signal

from kit import APP_TITLE, DEMO, Pointer, dump as tool_dump, entry_rect, picture_report, \
    session_values, tool, wait_caption
from menus import INTERACTION_GLOBAL, LINK_INDEX, MISSING_INDEX, write_definition, \
    write_interaction_menu
from pictures import differing_pixels, read_bmp24, read_png, write_png
from xdisplay import wait_for


class RestoredMenu:
    """A menu process that the test did not start: known by its window's process id."""

    def __init__(self, window):
        self.window = window
        self.pid = window.pid
        self.hwnd = None

    def running(self):
        try:
            with open("/proc/%d/stat" % self.pid) as f:
                return f.read().rsplit(")", 1)[1].split()[0] != "Z"
        except (OSError, IndexError):
            return False

    def ended(self):
        if not self.running():
            raise AssertionError("the restored menu process %d ended" % self.pid)

    def errors(self):
        return ""

    def kill(self):
        if self.running():
            try:
                os.kill(self.pid, signal.SIGKILL)
            except OSError:
                pass


def scenario_restart(build, options, results, work):
    # A folder outside every ANSI code page: the session file, the log-on command and the
    # restore carry its name.
    folder = os.path.join(work, "restart-Папка")
    os.makedirs(folder)
    shutil.copy(os.path.join(DEMO, "background.bmp"), folder)
    write_interaction_menu(build, folder, "readme.txt", folder)
    # The second level: one item whose target is missing, so a click marks it without
    # starting anything.
    write_definition(os.path.join(folder, "second.ini"), INTERACTION_GLOBAL +
                     "\n[menu]\ntitle=Second menu\n"
                     "item=Missing here,open,absent.txt,,,Not there either\n")
    first = tool_dump(build, options, folder, "Quorel.ini")
    page1 = tool_dump(build, options, folder, "Quorel.ini", 1)
    second = tool_dump(build, options, folder, "second.ini")
    settings = first["settings"]
    background = read_bmp24(os.path.join(folder, "background.bmp"))

    def expect(label, window, file_name, page, visited, dump):
        """Waits for (and checks) the picture the tool renders for this state. The tool shows
        every file as the first level: below it, the exit button's place shows the return
        button instead."""
        path = os.path.join(work, "expected-restart-%s.png" % label.replace(" ", "-"))
        arguments = ["render", file_name, "-o", path, "--page", str(page)]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        tool(build, options, folder, *arguments)
        ignore = [entry_rect(dump, "exitButton")] if dump is second else []
        picture_report(build, results, "restart: " + label, window, read_png(path),
                       background, dump, options.out, "restart " + label, drawn_check=False,
                       ignore=ignore)

    def missing_box(menu, window, path):
        # The box names the file by its full path; the folder's Cyrillic letters are read back
        # from neither build's boxes (X core fonts, the helper's ANSI texts): its name is.
        box = build.wait_box(APP_TITLE, os.path.basename(path) + " - not found!", menu,
                             exclude=(window.xid,))
        build.answer(box, "OK")

    elsewhere = os.path.join(work, "restart-elsewhere")
    os.makedirs(elsewhere)
    places = build.recovery_places()
    build.check_hangup(results, folder)

    undo_refusal = build.refuse_reload_program()
    menu = build.start(folder)
    restored = None
    try:
        window = build.wait_main(menu)
        pointer = Pointer(build, window)
        pointer.away()
        # Level 0: a mark, page 1, then the LINK item (marked too) opens level 1.
        expect("level 0 opens", window, "Quorel.ini", 0, [], first)
        pointer.click(first["items"][MISSING_INDEX]["rect"])
        missing_box(menu, window, os.path.join(folder, "missing.txt"))
        pointer.click(entry_rect(first, "forwardButton"))
        pointer.away()
        expect("level 0 at page 1", window, "Quorel.ini", 1, [MISSING_INDEX], page1)
        pointer.click(page1["items"][LINK_INDEX]["rect"])
        window = wait_caption(build, window, second["settings"]["titleText"])
        pointer = Pointer(build, window)
        pointer.away()
        expect("level 1 opens", window, "second.ini", 0, [], second)
        pointer.click(second["items"][0]["rect"])
        missing_box(menu, window, os.path.join(folder, "absent.txt"))
        pointer.away()
        expect("level 1 with its mark", window, "second.ini", 0, [0], second)
        before = build.screen.picture(window)

        values = session_values(build) or {}
        results.check("restart: the session file holds Exec, Workpath, Session0 and Session1",
                      all(values.get(k) for k in ("exec", "workpath", "session0", "session1"))
                      and build.same_path(values["workpath"], build.path_text(folder))
                      and "second.ini" in values["session1"].lower(), "Config %r" % values)
        with open(build.written_reload_program(places, results), "rb") as f:
            written = f.read()
        with open(options.reload, "rb") as f:
            built = f.read()
        results.check("restart: the reload program is the built one, byte for byte",
                      written == built, "%d bytes written, %d built" % (len(written), len(built)))
        results.check("restart: the log-on registration exists", places.recovery()["log-on entry"])

        build.end_session(menu, window, results, places)
        wait_for("the ended menu's window to go", lambda: not build.screen.exists(window.xid),
                 build.state_timeout, 0.5)
        results.check("restart: the ended menu leaves all three", all(places.recovery().values()),
                      repr(places.recovery()))

        # The log-on runs the registered command.
        command, code = build.run_logon(places, elsewhere)
        results.check("restart: the reload program exits with 0", code == 0,
                      "%r exited with %d" % (command, code))
        window = wait_for("the restored menu", lambda: build.screen.find(
            name=second["settings"]["titleText"]), build.start_timeout, 0.5)[-1]
        restored = RestoredMenu(window)
        pointer = Pointer(build, window)
        pointer.away()
        state = {}

        def same_as_before():
            state["after"] = build.screen.picture(window)
            return not differing_pixels(state["after"], before, [], limit=1)

        try:
            wait_for("the level 1 picture", same_as_before, build.state_timeout, 0.5)
        except TimeoutError:
            write_png(os.path.join(options.out, "%s-restart-before.png" % build.name), before)
            write_png(os.path.join(options.out, "%s-restart-after.png" % build.name),
                      state["after"])
        results.check("restart: the menu comes back at level 1 with its mark",
                      "after" in state and same_as_before(), "see %s" % options.out)
        try:
            wait_for("the registration again", lambda: all(places.recovery().values()),
                     build.state_timeout, 1.0)
            registered = True
        except TimeoutError:
            registered = False
        results.check("restart: registered again", registered, repr(places.recovery()))

        # The return button: level 0 at page 1 with its marks, in its own directory.
        pointer.click(entry_rect(second, "exitButton"))  # the return button's place
        window = wait_caption(build, window, settings["titleText"])
        pointer = Pointer(build, window)
        pointer.away()
        expect("the return button shows level 0 at page 1 with its marks", window,
               "Quorel.ini", 1, [MISSING_INDEX, LINK_INDEX], page1)
        pointer.click(entry_rect(page1, "backwardButton"))
        pointer.click(first["items"][MISSING_INDEX]["rect"])
        missing_box(restored, window, os.path.join(folder, "missing.txt"))
        results.check("restart: level 0 works in its own directory", True)

        # The exit question: No keeps everything, Yes removes everything.
        build.screen.request_close(window)
        box = build.wait_box(settings["exitTitle"], settings["exitMessage"], restored,
                             exclude=(window.xid,))
        build.answer(box, "No")
        results.check("restart: exit answered No keeps all three",
                      all(places.recovery().values()), repr(places.recovery()))
        build.screen.request_close(window)
        box = build.wait_box(settings["exitTitle"], settings["exitMessage"], restored,
                             exclude=(window.xid,))
        build.answer(box, "Yes")
        wait_for("the restored menu to end", lambda: not build.screen.exists(window.xid),
                 build.box_timeout, 0.5)
        try:
            wait_for("nothing left", lambda: not any(places.recovery().values()),
                     build.state_timeout, 1.0)
            cleaned = True
        except TimeoutError:
            cleaned = False
        results.check("restart: exit answered Yes leaves nothing", cleaned,
                      repr(places.recovery()))
        build.check_nothing_left_anywhere(places, results)
    finally:
        menu.kill()
        if restored is not None:
            restored.kill()
        undo_refusal()
