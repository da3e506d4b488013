# The definition file named on the command line, in the comma form (file,folder) and the path
# form (folder and a file name that is replaced by Quorel.ini), started from elsewhere.
import os
import tempfile

from kit import close_with_yes, copy_demo, dump as tool_dump, picture_report, session_values, \
    tool
from pictures import read_bmp24, read_png


def open_and_close(build, options, results, work, label, arguments, file_name, demo,
                   expected_text):
    """Starts the menu in an empty folder with arguments; checks the picture against file_name
    of demo and the journal entry (expected_text in the demo folder), then closes it with
    Yes."""
    elsewhere = tempfile.mkdtemp(prefix="cwd-", dir=work)
    dump = tool_dump(build, options, demo, file_name)
    expected_path = os.path.join(work, "expected-%s.png" % label.replace(" ", "-"))
    tool(build, options, demo, "render", file_name, "-o", expected_path)
    menu = build.start(elsewhere, arguments)
    try:
        window = build.wait_main(menu)
        picture_report(build, results, "%s: picture of %s" % (label, file_name), window,
                       read_png(expected_path), read_bmp24(os.path.join(demo, "background.bmp")),
                       dump, options.out, label)
        values = session_values(build) or {}
        session0 = values.get("session0", "")
        text, _, directory = session0.partition(",")
        results.check("%s: Session0 names %s in the demo folder" % (label, expected_text),
                      text == expected_text and build.same_path(directory, build.path_text(demo)),
                      "Session0=%r" % session0)
        close_with_yes(build, results, menu, window, dump["settings"], label)
    finally:
        menu.kill()


def scenario_command_line(build, options, results, work):
    demo = copy_demo(work, "demo-command-line")
    open_and_close(build, options, results, work, "comma form",
                   ["more.ini," + build.path_text(demo)], "more.ini", demo, "more.ini")
    open_and_close(build, options, results, work, "path form",
                   [build.path_text(demo) + build.path_separator + "x.ini"], "Quorel.ini", demo,
                   ".\\Quorel.ini")
