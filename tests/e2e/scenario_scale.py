# QUOREL_SCALE=2: the window twice the menu's size showing its picture enlarged pixel for pixel,
# and a click at a doubled point reaching the right entry.
import os
import shutil

from kit import DEMO, Pointer, dump as tool_dump, picture_report, tool
from menus import write_definition
from pictures import crop, enlarge, read_bmp24, read_png, write_bmp24


def scenario_scale(build, options, results, work):
    if build.scale_skip_reason:
        print("# scale: skipped, %s" % build.scale_skip_reason)
        return
    folder = os.path.join(work, "scale")
    os.makedirs(folder)
    # Small enough to fit the display twice over.
    write_bmp24(os.path.join(folder, "background.bmp"),
                crop(read_bmp24(os.path.join(DEMO, "background.bmp")), 0, 0, 320, 240))
    write_definition(os.path.join(folder, "Quorel.ini"),
                     "[global]\nbkBitmap=background.bmp\nItemStartX=20\nItemStartY=40\n"
                     "ItemFontSize=20\nItemFontColor=236 242 246\nItemHighLightColor=255 204 92\n"
                     "MenuItemsPerColumn=3\nHintFontSize=14\nDrawTitle=1\nTitleFontSize=22\n"
                     "[menu]\ntitle=Scaled\nitem=First,open,readme.txt,,,The first item\n"
                     "item=Second,open,readme.txt,,,The second item\n")
    shutil.copy(os.path.join(DEMO, "readme.txt"), folder)
    dump = tool_dump(build, options, folder, "Quorel.ini")
    expected = {}
    for label, hover in (("plain", None), ("hover1", "1")):
        path = os.path.join(work, "expected-scale-%s.png" % label)
        tool(build, options, folder, "render", "Quorel.ini", "-o", path,
             *(("--hover", hover) if hover else ()))
        expected[label] = enlarge(read_png(path), 2)

    menu = build.start_scaled(folder, 2)
    try:
        window = build.wait_main(menu)
        width, height = dump["clientSize"]
        results.check("QUOREL_SCALE=2: the window is twice the menu's size",
                      (window.width, window.height) == (2 * width, 2 * height),
                      "%dx%d for a %dx%d menu" % (window.width, window.height, width, height))
        background = enlarge(read_bmp24(os.path.join(folder, "background.bmp")), 2)
        picture_report(build, results, "QUOREL_SCALE=2: the render enlarged 2x pixel for pixel",
                       window, expected["plain"], background, dump, options.out, "scale plain",
                       drawn_check=False)
        left, top, right, bottom = dump["items"][1]["rect"]
        Pointer(build, window).move(left + right, top + bottom)  # the doubled middle
        picture_report(build, results, "QUOREL_SCALE=2: a doubled point hovers the second item",
                       window, expected["hover1"], background, dump, options.out, "scale hover",
                       drawn_check=False)
    finally:
        menu.kill()
