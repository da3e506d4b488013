# Pointer input on a menu of its own, in one process: hover, a started program, a missing target,
# page turns, a second level and back, a web address, a level that cannot be shown, the exit
# button.
import os

from kit import APP_TITLE, Pointer, dump as tool_dump, entry_rect, expect_second_menu, \
    no_then_yes, picture_report, session_section, session_values, tool, wait_caption
from menus import HIGHLIGHT_RGB, INTERACTION_GLOBAL, LINK_INDEX, MARKER_INDEX, MISSING_INDEX, \
    SECOND_CAPTIONS, SECOND_TITLE, VISITED_RGB, WEB_ADDRESS, WEB_INDEX, check_marker, \
    interaction_folder, page_state_key, write_definition
from pictures import count_inside, read_bmp24, read_png
from xdisplay import wait_for


def read_lines(path):
    """The file's lines, or None while it is not there."""
    try:
        with open(path, errors="replace") as f:
            return f.read().splitlines()
    except OSError:
        return None


def colour_count(picture, rect, rgb):
    left, top, right, bottom = rect
    count = 0
    for y in range(max(top, 0), min(bottom, picture.height - 1) + 1):
        for x in range(max(left, 0), min(right, picture.width - 1) + 1):
            if picture.pixel(x, y) == rgb:
                count += 1
    return count


def crop(picture, rect):
    left, top, right, bottom = rect
    return bytes(b for y in range(max(top, 0), min(bottom, picture.height - 1) + 1)
                 for b in picture.row(y)[max(left, 0) * 3:(min(right, picture.width - 1) + 1) * 3])


def check_second_menu_text(build, results, window, second):
    """The second menu's Russian and Greek title reaches X as it is; two captions of the same
    length in one script draw differently (no boxes for characters the font lacks), and so do
    two Japanese ones on Linux, drawn with the CJK font fontconfig picks."""
    results.check("Unicode: the window title read through X (_NET_WM_NAME) is the menu's",
                  second["settings"]["titleText"] == SECOND_TITLE and
                  build.screen.find(name=SECOND_TITLE, pid=window.pid) != [],
                  "dump %r" % second["settings"]["titleText"])
    rects = [item["rect"] for item in second["items"]]
    pairs = [("Cyrillic", 0, 1)] + ([("Japanese", 2, 3)] if build.name == "linux" else [])
    for script, a, b in pairs:
        def drawn():
            picture = build.screen.picture(window)
            first, other = crop(picture, rects[a]), crop(picture, rects[b])
            return len(set(first)) > 2 and len(set(other)) > 2 and first != other
        try:
            wait_for("two %s captions drawn" % script, drawn, build.state_timeout, 0.5)
            ok = True
        except TimeoutError:
            ok = False
        results.check("Unicode: two %s captions of one length draw differently (%s, %s)" %
                      (script, SECOND_CAPTIONS[a], SECOND_CAPTIONS[b]), ok)


def scenario_interaction(build, options, results, work):
    folder, workdir = interaction_folder(build, options, work, "interaction")
    background = read_bmp24(os.path.join(folder, "background.bmp"))
    dumps = {}

    def dump(page):
        if page not in dumps:
            dumps[page] = tool_dump(build, options, folder, "Quorel.ini", page)
        return dumps[page]

    def expect(name, label, page, hover=None, visited=()):
        """Waits for (and checks) the picture the tool renders for this state; returns the
        window's picture."""
        path = os.path.join(work, "expected-interaction-%s.png" % label)
        arguments = ["render", "Quorel.ini", "-o", path, "--page", str(page)]
        if hover is not None:
            arguments += ["--hover", str(hover)]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        tool(build, options, folder, *arguments)
        picture_report(build, results, name, window, read_png(path), background, dump(page),
                       options.out, "interaction " + label, drawn_check=False)
        return build.screen.picture(window)

    first = dump(0)
    settings = first["settings"]
    if dump(1)["page"]["currentPage"] != 1 or not any(
            e["kind"] == "forwardButton" for e in first["page"]["visible"]):
        raise AssertionError("the test menu does not make two pages with a forward button")

    menu = build.start(folder)
    try:
        window = build.wait_main(menu)
        pointer = Pointer(build, window)
        pointer.away()
        plain = expect("interaction opens: picture of page 0", "page0", 0)

        # Hover: highlight and hint, and back again. The colour checks also hold where the
        # picture is compared outside the text only.
        item_rect = first["items"][MARKER_INDEX]["rect"]
        pointer.move(item_rect[0] + 4, (item_rect[1] + item_rect[3]) // 2)
        hovered = expect("hover: the item in the highlight colour with its hint", "hover0", 0,
                         hover=0)
        x, y, w, h = first["hintRect"]
        results.check("hover: highlight colour inside the item",
                      colour_count(hovered, item_rect, HIGHLIGHT_RGB) > 0)
        results.check("hover: the hint line changed",
                      count_inside(hovered, plain, (x, y, x + w - 1, y + h - 1)) > 0)
        pointer.away()
        expect("hover: moving off restores the item", "page0-again", 0)

        # The marker program: its parameters, in its working directory.
        pointer.click(item_rect)
        check_marker(build, results, workdir, "click")
        pointer.away()
        visited_picture = expect("click: the item drawn in the visited colour", "visited0", 0,
                                 visited=[MARKER_INDEX])
        results.check("click: visited colour inside the item",
                      colour_count(visited_picture, item_rect, VISITED_RGB) > 0)

        # A missing target.
        pointer.click(first["items"][MISSING_INDEX]["rect"])
        missing = build.path_text(os.path.join(folder, "missing.txt"))
        box = build.wait_box(APP_TITLE, missing + " - not found!", menu, exclude=(window.xid,))
        build.answer(box, "OK")
        results.check("click on a missing target: the not-found box, OK closes it",
                      menu.running())
        pointer.away()

        # Page buttons; the marks go along.
        marks = [MARKER_INDEX, MISSING_INDEX]
        pointer.click(entry_rect(first, "forwardButton"))
        pointer.away()
        expect("forward button: page 1", "page1", 1, visited=marks)
        pointer.click(entry_rect(dump(1), "backwardButton"))
        pointer.away()
        expect("backward button: page 0 again", "page0-back", 0, visited=marks)
        pointer.click(entry_rect(first, "forwardButton"))
        pointer.away()
        expect("forward button again: page 1", "page1-again", 1, visited=marks)

        # The LINK item opens the second menu as a deeper level.
        second = tool_dump(build, options, folder, "second.ini")
        pointer.click(dump(1)["items"][LINK_INDEX]["rect"])
        marks.append(LINK_INDEX)
        expect_second_menu(build, results, window, second, "LINK item")
        pointer.away()
        check_second_menu_text(build, results, window, second)
        back_rect = next(e["rect"] for e in second["page"]["visible"]
                         if e["kind"] in ("exitButton", "returnButton"))
        pointer.click(back_rect)
        wait_caption(build, window, settings["titleText"])
        pointer.away()
        expect("return button: the first menu at the same page with the same marks",
               "returned", 1, visited=marks)
        session1 = (session_values(build) or {}).get("session1", "")
        results.check("return button: Session1 empty again", session1 == "",
                      "Session1=%r" % session1)
        key = page_state_key(build.path_text(os.path.join(folder, "Quorel.ini")))
        state = session_section(build, key) or {}
        expected_selected = "%x" % sum(1 << i for i in marks)
        results.check("page state of the first menu under section %s" % key,
                      state.get("page") == "1" and state.get("selected", "").strip() ==
                      expected_selected, "section %r, expected Page=1 Selected= %s; file: %s" % (
                          state, expected_selected, build.session_path()))

        # A web address goes to the system's opener as written, with no "not found" box.
        pointer.click(dump(1)["items"][WEB_INDEX]["rect"])
        marks.append(WEB_INDEX)
        try:
            opened = wait_for("the web opener's record", lambda: read_lines(build.web_record),
                              build.program_start_timeout, 0.2)
        except TimeoutError:
            opened = None
        results.check("click on a web address: the opener gets it unchanged",
                      opened == [WEB_ADDRESS] and menu.running(), "opened %r" % opened)
        pointer.away()

        # A LINK level that loads but cannot be shown (its background is missing): the box, and
        # the return button, in the exit button's place, still leads back to the first menu.
        # Only there does the same place ask the exit question below.
        write_definition(os.path.join(folder, "second.ini"),
                         INTERACTION_GLOBAL.replace("bkBitmap=background.bmp",
                                                    "bkBitmap=gone.bmp") +
                         "\n[menu]\ntitle=Second menu\nitem=Only item,open,readme.txt\n")
        pointer.click(dump(1)["items"][LINK_INDEX]["rect"])
        box = build.wait_box("class CDib", "File not found - ", menu, exclude=(window.xid,))
        build.answer(box, "OK")
        pointer.click(entry_rect(dump(1), "exitButton"))
        pointer.away()
        expect("LINK level without its background: the return button shows the first menu",
               "returned-again", 1, visited=marks)
        session1 = (session_values(build) or {}).get("session1", "")
        results.check("LINK level without its background: Session1 empty after the return",
                      session1 == "", "Session1=%r" % session1)

        # The exit button on the top level asks.
        pointer.click(entry_rect(dump(1), "exitButton"))
        no_then_yes(build, results, menu, window, settings, "exit button", "interaction")
    finally:
        menu.kill()
