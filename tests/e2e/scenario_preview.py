# The author's preview in one process: a save shows in the window within two seconds, a file
# caught half written keeps the last good state and says why, a click prints what it would start
# and starts nothing, a LINK item still opens its level, and closing ends it with the restart
# recovery as it was (where the build can afford it, that of a menu running beside it).
import json
import os
import time

from kit import Pointer, close_with_yes, copy_demo, dump as tool_dump
from menus import INTERACTION_GLOBAL, MARKER_ARGUMENTS, SECOND_TITLE, interaction_folder, \
    write_definition
from xdisplay import wait_for

# How soon a save must show in the window.
SHOWN_WITHIN = 2.0


def preview_menu(build, marker, workdir, title):
    """Three items on one page: the marker program, a LINK to the second menu, a filler."""
    items = ["Start the marker,open,%s,%s,%s,Starts the marker" % (
        marker, " ".join(MARKER_ARGUMENTS), build.path_text(workdir)),
             "Second menu,LINK,second.ini,,,Opens the second menu",
             "Filler,open,readme.txt,,,Fills the page"]
    return (INTERACTION_GLOBAL + "\n[menu]\ntitle=%s\n" % title +
            "".join("item=%s\n" % item for item in items))


def saved(path, text, in_place=False):
    """Saves as editors do (in UTF-8: the working directory's name is Cyrillic): a new file
    renamed over the old one, or written in place."""
    if in_place:
        write_definition(path, text, "utf-8")
        return
    write_definition(path + ".swp", text, "utf-8")
    os.replace(path + ".swp", path)


def scenario_preview(build, options, results, work):
    folder, workdir = interaction_folder(build, options, work, "preview")
    marker = build.install_marker(options, folder)
    definition = os.path.join(folder, "Quorel.ini")
    write_definition(definition, preview_menu(build, marker, workdir, "Preview one"), "utf-8")
    out, errors = os.path.join(work, "preview.out"), os.path.join(work, "preview.err")
    beside = None
    if build.preview_beside_menu:
        demo = copy_demo(work, "demo-beside-preview")
        beside = build.start(demo)
    menu = None
    try:
        if beside is not None:
            build.wait_main(beside)
            wait_for("the restart recovery of the menu beside", lambda: all(
                build.restart_recovery().values()), build.state_timeout, 0.2)
        recovery = build.restart_recovery()
        menu = build.start_preview(folder, "Quorel.ini", out, errors)
        window = build.wait_preview(menu)

        def caption_within(title, what):
            start = time.monotonic()
            try:
                wait_for("the caption %r" % title, lambda: build.screen.find(
                    name=title, pid=window.pid), SHOWN_WITHIN, 0.05)
                results.check("preview: %s shows within %gs (%.2fs)" % (
                    what, SHOWN_WITHIN, time.monotonic() - start), True)
            except TimeoutError:
                names = [w.name for w in build.screen.find(pid=window.pid)]
                results.check("preview: %s shows within %gs" % (what, SHOWN_WITHIN), False,
                              "captions %r%s" % (names, menu.errors()))

        wait_for("the first caption", lambda: build.screen.find(name="Preview one",
                                                                pid=window.pid),
                 build.state_timeout, 0.2)
        saved(definition, preview_menu(build, marker, workdir, "Preview two"))
        caption_within("Preview two", "a new title saved by a rename")

        # Half a file, as a save caught in the middle: the last good state stays, with an error.
        said = os.path.getsize(errors) if build.preview_errors_seen else 0
        with open(definition, "wb") as f:
            f.write(b"[global]\r\nbkBitm")
        time.sleep(SHOWN_WITHIN)  # the time a reload has to show, were it taken
        with open(errors, "rb") as f:
            f.seek(said)
            new = f.read().decode(errors="replace")
        results.check("preview: half a file keeps the window and the last good state",
                      menu.running() and build.screen.find(name="Preview two", pid=window.pid),
                      "captions %r%s" % ([w.name for w in build.screen.find(pid=window.pid)],
                                         menu.errors()))
        if build.preview_errors_seen:
            results.check("preview: half a file gives an error line on standard error",
                          ": error: " in new, repr(new))
        saved(definition, preview_menu(build, marker, workdir, "Preview three"), in_place=True)
        caption_within("Preview three", "the next good save, written in place,")

        # A click prints what it would start; the marker program does not run.
        dump = tool_dump(build, options, folder, "Quorel.ini")
        pointer = Pointer(build, window)
        pointer.click(dump["items"][0]["rect"])
        pointer.away()
        lines = wait_for("a line on standard output", lambda: open(out).read().splitlines(),
                         build.state_timeout, 0.2)
        start = json.loads(lines[0])
        results.check("preview: a click prints verb, full target, parameters and directory",
                      start["verb"] == "open" and start["parameters"] == " ".join(
                          MARKER_ARGUMENTS) and build.same_path(
                          start["target"], build.path_text(os.path.join(folder, marker)))
                      and build.same_path(start["directory"], build.path_text(workdir)),
                      repr(lines))
        time.sleep(2.0)  # longer than the marker program takes to write its file
        results.check("preview: the click started nothing",
                      not os.path.exists(os.path.join(workdir, "marker.txt")))

        pointer.click(dump["items"][1]["rect"])
        pointer.away()
        wait_for("the second menu", lambda: build.screen.find(name=SECOND_TITLE,
                                                              pid=window.pid),
                 build.state_timeout, 0.2)
        results.check("preview: a LINK item opens its level", True)

        build.screen.request_close(window)
        code = menu.exit_code(build.box_timeout)
        results.check("preview: closing ends it with 0 and leaves the restart recovery as it "
                      "was (%s)" % ("the menu's beside it" if beside else "none"),
                      code == 0 and build.restart_recovery() == recovery,
                      "exit code %s, before %r, after %r%s" % (
                          code, recovery, build.restart_recovery(), menu.errors()))
        if beside is not None:
            close_with_yes(build, results, beside, beside.window,
                           tool_dump(build, options, demo, "Quorel.ini")["settings"],
                           "the menu beside the preview")
    finally:
        for process in (menu, beside):
            if process is not None:
                process.kill()
