# A factor of 2 (QUOREL_SCALE=2 on Linux, 192 dots per inch under Wine): the window twice the
# menu's size showing its picture enlarged pixel for pixel, and a doubled point hovering and
# clicking the right entry; where the build offers accessibility objects, their locations
# enlarged as well.
import os
import shutil

from kit import DEMO, Pointer, dump as tool_dump, picture_report, tool
from menus import MARKER_ARGUMENTS, check_marker, write_definition
from pictures import crop, enlarge, read_bmp24, read_png, write_bmp24
from scenario_keyboard import check_access


def scenario_scale(build, options, results, work):
    folder = os.path.join(work, "scale")
    os.makedirs(folder)
    # Small enough to fit the display twice over.
    write_bmp24(os.path.join(folder, "background.bmp"),
                crop(read_bmp24(os.path.join(DEMO, "background.bmp")), 0, 0, 320, 240))
    workdir = os.path.join(folder, "workdir")
    os.makedirs(workdir)
    marker = build.install_marker(options, folder)
    write_definition(os.path.join(folder, "Quorel.ini"),
                     "[global]\nbkBitmap=background.bmp\nItemStartX=20\nItemStartY=40\n"
                     "ItemFontSize=20\nItemFontColor=236 242 246\nItemHighLightColor=255 204 92\n"
                     "MenuItemsPerColumn=3\nHintFontSize=14\nDrawTitle=1\nTitleFontSize=22\n"
                     "[menu]\ntitle=Scaled\nitem=First,open,readme.txt,,,The first item\n"
                     "item=Second,open,%s,%s,%s,The second item\n"
                     % (marker, " ".join(MARKER_ARGUMENTS), build.path_text(workdir)))
    shutil.copy(os.path.join(DEMO, "readme.txt"), folder)
    dump = tool_dump(build, options, folder, "Quorel.ini")
    expected = {}
    for label, hover in (("plain", None), ("hover1", "1")):
        path = os.path.join(work, "expected-scale-%s.png" % label)
        tool(build, options, folder, "render", "Quorel.ini", "-o", path,
             *(("--hover", hover) if hover else ()))
        expected[label] = enlarge(read_png(path), 2)

    menu = build.start_scaled(folder, 2)
    how = "factor 2 (%s)" % build.scale_source
    try:
        window = build.wait_main(menu)
        width, height = dump["clientSize"]
        results.check("%s: the window is twice the menu's size" % how,
                      (window.width, window.height) == (2 * width, 2 * height),
                      "%dx%d for a %dx%d menu" % (window.width, window.height, width, height))
        background = enlarge(read_bmp24(os.path.join(folder, "background.bmp")), 2)
        # Where the build draws text its own way, enlarged as the window shows it.
        inexact = [(2 * left, 2 * top, 2 * right + 1, 2 * bottom + 1)
                   for left, top, right, bottom in build.inexact_rectangles(dump)]
        picture_report(build, results, "%s: the render enlarged 2x pixel for pixel" % how,
                       window, expected["plain"], background, dump, options.out, "scale plain",
                       drawn_check=False, ignore=inexact)
        left, top, right, bottom = dump["items"][1]["rect"]
        pointer = Pointer(build, window)
        pointer.move(left + right, top + bottom)  # the doubled middle
        picture_report(build, results, "%s: a doubled point hovers the second item" % how,
                       window, expected["hover1"], background, dump, options.out, "scale hover",
                       drawn_check=False, ignore=inexact)
        if build.access_skip_reason is None:
            check_access(build, results, menu, window, dump, "%s: access" % how, focused=2,
                         scale=2)
        pointer.click((2 * left, 2 * top, 2 * right, 2 * bottom))
        check_marker(build, results, workdir, "%s: a click at the doubled point" % how)
    finally:
        menu.kill()
