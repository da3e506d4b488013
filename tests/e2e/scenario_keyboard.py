# One menu process driven by keys alone: Tab and Enter start the marker program, Page Down turns
# the page, Enter opens the LINK level, Backspace returns to the same page and marks, Escape on
# the first level asks the exit question; the focus frame from the first key.
import os

from kit import Pointer, dump as tool_dump, expect_second_menu, no_then_yes, picture_report, \
    tool, wait_caption
from menus import LINK_INDEX, check_marker, interaction_folder
from pictures import read_bmp24, read_png
from xdisplay import wait_for


def focus_dots(picture, plain, rect):
    """How many pixels of the first 40 of the entry's top row are the inverse of the plain
    picture's there: the dotted focus frame inverts every other one, and no caption reaches
    that row."""
    left, top = rect[0], rect[1]
    inverted = 0
    for x in range(left, min(left + 40, picture.width)):
        a, b = picture.pixel(x, top), plain.pixel(x, top)
        inverted += all(p == 255 - q for p, q in zip(a, b))
    return inverted


def scenario_keyboard(build, options, results, work):
    folder, workdir = interaction_folder(build, options, work, "keyboard")
    background = read_bmp24(os.path.join(folder, "background.bmp"))
    dumps = {}

    def dump(page):
        if page not in dumps:
            dumps[page] = tool_dump(build, options, folder, "Quorel.ini", page)
        return dumps[page]

    def expect(name, label, page, visited=(), focus=True):
        path = os.path.join(work, "expected-keyboard-%s.png" % label)
        arguments = ["render", "Quorel.ini", "-o", path, "--page", str(page)]
        if focus:
            arguments += ["--hover", "0", "--focus"]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        tool(build, options, folder, *arguments)
        picture_report(build, results, name, window, read_png(path), background, dump(page),
                       options.out, "keyboard " + label, drawn_check=False)
        return build.screen.picture(window)

    settings = dump(0)["settings"]
    menu = build.start(folder)
    try:
        window = build.wait_main(menu)
        pointer = Pointer(build, window)
        pointer.away()
        plain = expect("keyboard: the menu opens with nothing highlighted", "plain", 0,
                       focus=False)
        item_rect = dump(0)["items"][0]["rect"]

        # A Tab that was lost changed nothing, so it is sent again after the window has been
        # made ready for keys once more, with the pointer resting longer each time.
        for rest in (0.5, 1.5, 3.0):
            build.prepare_keys(pointer, rest)
            build.send_key(window, "Tab")
            try:
                wait_for("the focus frame", lambda: focus_dots(
                    build.screen.picture(window), plain, item_rect) >= 15,
                    build.state_timeout, 0.5)
                break
            except TimeoutError:
                continue
        framed = expect("Tab: the first item highlighted with its hint and focus frame, as "
                        "quorel-tool render --hover 0 --focus", "tab", 0)
        results.check("Tab: the focus frame's dots along the item's top row",
                      focus_dots(framed, plain, item_rect) >= 15,
                      "%d of 40 pixels inverted" % focus_dots(framed, plain, item_rect))

        build.send_key(window, "Return")
        check_marker(build, results, workdir, "Tab and Enter")

        build.send_key(window, "Next")  # Page Down
        expect("Page Down: page 1, its first entry highlighted", "page1", 1, visited=[0])

        second = tool_dump(build, options, folder, "second.ini")
        build.send_key(window, "Return")
        expect_second_menu(build, results, window, second, "Enter on the LINK item")

        build.send_key(window, "BackSpace")
        wait_caption(build, window, settings["titleText"])
        expect("Backspace: the first menu at the same page with the same marks", "returned", 1,
               visited=[0, LINK_INDEX])

        build.send_key(window, "Escape")
        no_then_yes(build, results, menu, window, settings, "Escape on the first level",
                    "keyboard")
    finally:
        menu.kill()
