# Starts that cannot show a menu: no definition file, no background. Each box comes in turn, the
# process ends with 0 and leaves nothing of the restart recovery.
import os

from kit import APP_TITLE, copy_demo


def expect_start_failure(build, results, label, folder, boxes):
    """Starts the menu in folder; each (caption, text) box must come in turn and is answered
    OK; then the process must end with 0 and leave no session file."""
    menu = build.start(folder)
    try:
        for caption, text in boxes:
            box = build.wait_box(caption, text, menu, timeout=build.start_timeout)
            results.check("%s: box %r" % (label, text), True)
            build.answer(box, "OK")
        code = menu.exit_code(build.box_timeout)
        results.check("%s: exit code 0" % label, code == 0,
                      "exit code %s%s" % (code, menu.errors()))
        left = [part for part, present in build.restart_recovery().items() if present]
        results.check("%s: no session file, reload program or log-on entry left" % label,
                      not left, "left: %s" % ", ".join(left))
    finally:
        menu.kill()


def scenario_missing_files(build, options, results, work):
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    expect_start_failure(build, results, "no definition file", empty,
                         [(APP_TITLE, "Profile error - .\\Quorel.ini")])
    demo = copy_demo(work, "demo-no-background")
    os.remove(os.path.join(demo, "background.bmp"))
    expect_start_failure(build, results, "no background", demo,
                         [("class CDib", "File not found - "),
                          (APP_TITLE, "Profile error - .\\Quorel.ini")])
