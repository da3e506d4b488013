# The demo menu in one process: the picture, the second start, the exit question answered No,
# the About box, the session file and the exit question answered Yes.
import os

from kit import APP_TITLE, copy_demo, dump as tool_dump, picture_report, session_values, tool
from pictures import read_bmp24, read_png
from xdisplay import wait_for


def scenario_demo(build, options, results, work):
    demo = copy_demo(work, "demo-main")
    dump = tool_dump(build, options, demo, "Quorel.ini")
    # The build's own tool where it has one (Windows): then text must match too. Its render is
    # kept beside the window's picture.
    if build.own_tool:
        expected_path = os.path.join(options.out, "%s-demo-render.png" % build.name)
        build.run_own_tool(demo, "render", "Quorel.ini", "-o", build.path_text(expected_path))
    else:
        expected_path = os.path.join(work, "expected-demo.png")
        tool(build, options, demo, "render", "Quorel.ini", "-o", expected_path)
    expected = read_png(expected_path)
    background = read_bmp24(os.path.join(demo, "background.bmp"))
    exit_title = dump["settings"]["exitTitle"]
    exit_message = dump["settings"]["exitMessage"]

    menu = build.start(demo)
    try:
        window = build.wait_main(menu)
        results.check("demo opens: client area 640x480", (window.width, window.height) ==
                      (640, 480), "%dx%d" % (window.width, window.height))
        # The window is shown before the menu's title replaces the program's own, and under
        # Wine the new name reaches X a little later: wait for it.
        title = dump["settings"]["titleText"]
        try:
            wait_for("the menu title as caption", lambda: any(
                w.name == title for w in build.screen.find(pid=window.pid)),
                build.state_timeout, 0.2)
        except TimeoutError:
            pass  # reported just below
        captions = [w.name for w in build.screen.find(pid=window.pid)]
        results.check("demo opens: the caption is the menu title", title in captions,
                      "captions %r" % captions)
        exact = build.own_tool is not None
        picture_report(build, results, "demo opens: picture matches %s render%s" % (
                           "quorel-tool.exe" if exact else "quorel-tool",
                           "" if exact else build.picture_scope),
                       window, expected, background, dump, options.out, "demo", exact=exact)

        values = session_values(build) or {}
        expected = ".\\Quorel.ini," + build.path_text(demo)
        session0 = values.get("session0", "")
        results.check("session file holds Session0 of the first level",
                      build.same_path(session0, expected), "Session0=%r, expected %r" % (
                          session0, expected))
        # The reload program, the log-on entry and the session file's "Exec" and "Workpath"
        # come with the restart recovery; until then the journal alone is there to see.
        results.check("session file in place while the menu runs",
                      build.restart_recovery()["session file"])

        # A second copy says so and ends with 1; the first one stays.
        second = build.start(demo)
        try:
            box = build.wait_box(APP_TITLE, "Quorel is already running!", second,
                                 exclude=(window.xid,))
            build.answer(box, "OK")
            code = second.exit_code(build.box_timeout)
            results.check("second start: message and exit code 1", code == 1,
                          "exit code %s%s" % (code, second.errors()))
        finally:
            second.kill()
        results.check("second start: the first window stays",
                      menu.running() and build.screen.exists(window.xid))

        # A close request asks; No keeps everything.
        build.screen.request_close(window)
        box = build.wait_box(exit_title, exit_message, menu, exclude=(window.xid,))
        build.answer(box, "No")
        results.check("close request, No: window and process stay",
                      menu.running() and build.screen.exists(window.xid))
        results.check("close request, No: session file untouched",
                      build.restart_recovery()["session file"])

        about = build.open_about(menu)
        build.answer(about, "OK")
        results.check("Alt+/ shows the About box and OK closes it", menu.running())

        build.screen.request_close(window)
        box = build.wait_box(exit_title, exit_message, menu, exclude=(window.xid,))
        build.answer(box, "Yes")
        code = menu.exit_code(build.box_timeout)
        results.check("close request, Yes: the process ends with 0", code == 0,
                      "exit code %s%s" % (code, menu.errors()))
        recovery = build.restart_recovery()
        results.check("close request, Yes: restart recovery removed", not any(recovery.values()),
                      "left: " + ", ".join(k for k, v in recovery.items() if v))
    finally:
        menu.kill()
