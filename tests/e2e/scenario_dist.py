# A disc folder made by `quorel-tool dist` (quorel-tool.exe under Wine), copied to a path with a blank and quotes, started
# as a desktop starts it: natively through autorun.sh in each Debian root of the build (the
# oldest system the program is for and a current one, none with SDL, sound libraries or anything
# the disc would carry); its quorel.exe under Wine (one Wine start).
import os
import shutil

from kit import DEMO, Pointer, close_with_yes, dump as tool_dump, entry_rect, picture_report, tool
from pictures import count_inside, read_bmp24, read_png
from xdisplay import wait_for


def make_disc(build, options, work):
    """The demo's disc folder, copied to a path with a blank and quotes."""
    exe, portable = build.dist_programs(options, work)
    made = os.path.join(work, "dist-made")
    if build.own_tool:  # quorel-tool.exe, given Windows paths
        build.run_own_tool(work, "dist", build.path_text(DEMO), build.path_text(made),
                           "--exe", build.path_text(exe), "--linux", build.path_text(portable))
    else:
        tool(build, options, work, "dist", DEMO, made, "--exe", exe, "--linux", portable)
    disc = os.path.join(work, build.disc_name)
    shutil.copytree(made, disc, symlinks=True)
    return disc


def scenario_dist(build, options, results, work):
    skip = build.dist_skip_reason(options)
    if skip:
        print("skip: " + skip)
        return
    disc = make_disc(build, options, work)
    dump = tool_dump(build, options, disc, "Quorel.ini")
    expected_path = os.path.join(work, "expected-dist.png")
    tool(build, options, disc, "render", "Quorel.ini", "-o", expected_path)
    expected = read_png(expected_path)
    background = read_bmp24(os.path.join(disc, "background.bmp"))
    item = entry_rect(dump, "item", 0)

    for system in build.disc_systems(options):
        menu, label = build.start_disc(results, disc, work, system)
        try:
            window = build.wait_main(menu)
            picture_report(build, results, "%s: picture matches quorel-tool render%s" % (
                               label, build.picture_scope),
                           window, expected, background, dump, options.out, label)
            build.check_disc_start(results, menu, disc, label)
            # The highlight follows the pointer, and its sound plays (or, without sound, the
            # menu goes on silently).
            Pointer(build, window).move((item[0] + item[2]) // 2, (item[1] + item[3]) // 2)
            wait_for("the highlight of %s" % label, lambda: count_inside(
                build.screen.picture(window), expected, item) > 0, build.state_timeout, 0.2)
            build.screen.move_pointer(0, 0)  # away from where the next start's window comes
            close_with_yes(build, results, menu, window, dump["settings"], label)
            build.check_disc_end(results, menu, disc, work, system, label)
        finally:
            menu.kill()
