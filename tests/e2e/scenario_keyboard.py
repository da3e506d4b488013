# One menu process driven by keys alone: Tab and Enter start the marker program, Page Down turns
# the page, Enter opens the LINK level, Backspace returns to the same page and marks, Escape on
# the first level asks the exit question; the focus frame from the first key. Where the build
# offers accessibility objects, a screen reader's view is read along: the entries, the focus
# moving with Tab, the default action starting the marker, and the next page's entries; and that a
# menu whose accessibility bus never answers starts and takes keys as promptly.
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


SIZE_SLACK = 8  # pixels an entry's size may differ by where the build's fonts are not the tool's
BUTTON_NAMES = {"exitButton": ("hintExit", "Exit"), "returnButton": ("hintReturn", "Back"),
                "forwardButton": ("hintForward", "Next page"),
                "backwardButton": ("hintBackward", "Previous page")}


def told_entries(dump):
    """(name, description, rect) of each visible entry, as a screen reader is to be told them:
    an item's caption and hint, a page button's hint or its own short name."""
    told = []
    for entry in dump["page"]["visible"]:
        if entry["kind"] == "item":
            item = dump["items"][entry["index"]]
            told.append((item["text"] or "", item["hint"] or "", entry["rect"]))
        else:
            key, own = BUTTON_NAMES[entry["kind"]]
            told.append((dump["settings"][key] or own, "", entry["rect"]))
    return told


def check_access(build, results, menu, window, dump, label, focused=0, visited=(), scale=1,
                 sizes=True):
    """The window's accessible children against the dump: names, descriptions, one role, the
    states (focused: the child number, from 1, with the highlight, 0 for none, when the focus is
    the window itself or elsewhere; visited: child numbers), the locations on the screen (in a
    window enlarged scale times), the default action, hit tests and, where the platform has it,
    navigation. Roles, states and the action's name are as the build's platform spells them.
    sizes=False leaves the entries' sizes out (text in scripts the build's fonts may lack)."""
    whole, children = build.access(menu)
    print("# %s: %r (role %r, state %r, focus %d)" % (label, whole["name"], whole["role"],
                                                      whole["state"], whole["focus"]))
    for c in children:
        print("#   %d %r %r role %r state %r at %r %r" % (
            c["child"], c["name"], c["description"], c["role"], c["state"], c["location"],
            c["action"]))
    told = told_entries(dump)
    results.check("%s: the window's object carries the title and the entries, named and "
                  "described" % label,
                  whole["name"] == dump["settings"]["titleText"]
                  and [(c["name"], c["description"]) for c in children]
                  == [(n, d) for n, d, _ in told],
                  "%r; %r" % (whole, [(c["name"], c["description"]) for c in children]))
    wrong = []
    for number, (child, (_, _, rect)) in enumerate(zip(children, told), 1):
        left, top, right, bottom = rect
        expected = {"role": build.access_role,
                    "state": build.access_state(number == focused, number in visited),
                    "action": build.access_action, "hit": number,
                    "next": number + 1 if number < len(told) else 0,
                    "corner": (window.x + scale * left, window.y + scale * top)}
        got = dict(child, corner=tuple(child["location"][:2]))
        wrong += ["%d %s: %r, not %r" % (number, key, got[key], value)
                  for key, value in expected.items() if key in got and got[key] != value]
        # The size is the caption's: another build's fonts measure a few pixels apart.
        size = (scale * (right - left + 1), scale * (bottom - top + 1))
        if sizes and any(abs(a - b) > scale * SIZE_SLACK
                         for a, b in zip(child["location"][2:], size)):
            wrong.append("%d size: %r, not about %r" % (number, child["location"][2:], size))
    results.check("%s: one role, the states, screen locations, Press, hit tests and "
                  "navigation of each entry" % label,
                  not wrong and whole["focus"] in ((focused,) if focused else (0, -1)),
                  "; ".join(wrong) + " focus %d" % whole["focus"])


def wait_access_events(build, results, menu, label, wanted):
    """Waits for the events in wanted (("focus", child) or ("reorder",)) to be heard."""
    heard = []

    def all_heard():
        heard.extend(build.access_events(menu))
        return all(event in heard for event in wanted)

    try:
        wait_for("the events %r" % (wanted,), all_heard, build.state_timeout, 0.5)
    except TimeoutError:
        pass
    results.check("%s: %s heard" % (label, ", ".join(" ".join(map(str, e)) for e in wanted)),
                  all(event in heard for event in wanted), "heard %r" % heard)


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
        access = build.access_skip_reason is None
        if access:
            build.access_listen()
            check_access(build, results, menu, window, dump(0), "access as opened")
        else:
            print("# keyboard: accessibility skipped, %s" % build.access_skip_reason)

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

        if access:
            check_access(build, results, menu, window, dump(0), "access after Tab", focused=1)
            wait_access_events(build, results, menu, "access after Tab", [("focus", 1)])

        build.send_key(window, "Return")
        check_marker(build, results, workdir, "Tab and Enter")
        if access:
            os.remove(os.path.join(workdir, "marker.txt"))
            answer = build.access_press(menu, 1)
            results.check("the default action on the first entry is taken", answer == "ok",
                          answer)
            check_marker(build, results, workdir, "the default action")
            check_access(build, results, menu, window, dump(0), "access after Enter",
                         focused=1, visited=(1,))

        build.send_key(window, "Next")  # Page Down
        expect("Page Down: page 1, its first entry highlighted", "page1", 1, visited=[0])
        if access:
            wait_access_events(build, results, menu, "access after Page Down",
                               [("reorder",), ("focus", 1)])
            check_access(build, results, menu, window, dump(1), "access after Page Down",
                         focused=1)

        second = tool_dump(build, options, folder, "second.ini")
        build.send_key(window, "Return")
        expect_second_menu(build, results, window, second, "Enter on the LINK item")
        if access:
            # Its title and captions are Russian, Greek and Japanese: told as they are written
            # (their sizes are left out: Wine has no Japanese font). Opened as a deeper level,
            # its exit place holds the return button.
            deeper = dict(second, page=dict(second["page"], visible=[
                dict(e, kind="returnButton" if e["kind"] == "exitButton" else e["kind"])
                for e in second["page"]["visible"]]))
            check_access(build, results, menu, window, deeper, "access in the second level",
                         focused=1, sizes=False)

        build.send_key(window, "BackSpace")
        wait_caption(build, window, settings["titleText"])
        expect("Backspace: the first menu at the same page with the same marks", "returned", 1,
               visited=[0, LINK_INDEX])

        build.send_key(window, "Escape")
        no_then_yes(build, results, menu, window, settings, "Escape on the first level",
                    "keyboard")
    finally:
        menu.kill()
    if access:
        build.check_silent_bus(results, folder, plain)
