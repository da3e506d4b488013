# A disc folder made by `quorel-tool dist`, copied to a path with a blank and quotes, started
# as a desktop starts it: through autorun.sh natively, with the build machine's SDL2, SDL2_ttf,
# FreeType, HarfBuzz and fontconfig covered so only the bundled copies can load; its quorel.exe
# under Wine (one Wine start).
import os
import shutil

from kit import DEMO, close_with_yes, dump as tool_dump, picture_report, tool
from pictures import read_bmp24, read_png


def make_disc(build, options, work):
    """The demo's disc folder, copied to a path with a blank and quotes."""
    exe, portable = build.dist_programs(options, work)
    made = os.path.join(work, "dist-made")
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

    menu, label = build.start_disc(results, disc, work)
    try:
        window = build.wait_main(menu)
        picture_report(build, results, "%s: picture matches quorel-tool render%s" % (
                           label, build.picture_scope),
                       window, expected, background, dump, options.out, label)
        build.check_disc_libraries(results, menu, disc)
        close_with_yes(build, results, menu, window, dump["settings"], label)
    finally:
        menu.kill()
