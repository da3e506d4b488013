# The interaction menus that the interaction, keyboard and restart scenarios drive: two pages of
# three items, a LINK level behind the fourth, and a marker program that writes down how it ran.
import os
import shutil

from kit import DEMO
from xdisplay import wait_for

INTERACTION_GLOBAL = """[global]
bkBitmap=background.bmp
ExitTitle=Interaction test
ExitMessage=Leave the interaction test?
HintPageForward=Next page
HintPageBackward=Previous page
HintPageExit=Leave the test
HintPageReturn=Back to the first menu
MenuItemColumons=1
MenuItemsPerColumn=3
ItemStartX=60
ItemStartY=120
ItemEndX=579
ItemEndY=520
ItemFontSize=24
ItemFontColor=236 242 246
ItemHighLightColor=255 204 92
ItemSelectedColor=150 190 210
HintStartX=56
HintStartY=414
HintEndX=584
HintEndY=460
HintFontSize=18
HintFontColor=196 230 244
DrawTitle=1
TitleFontSize=32
TitleFontColor=255 255 255
"""
# Plain colours without shadow or smoothing, so that they can be found pixel by pixel.
HIGHLIGHT_RGB = (255, 204, 92)
VISITED_RGB = (150, 190, 210)
MARKER_ARGUMENTS = ["alpha", "beta"]
# The second menu speaks Russian and Greek (a UTF-8 file): its title, two captions of the same
# length in one script (their pictures must differ: no boxes) and two Japanese ones.
SECOND_TITLE = "Второе меню · Δεύτερο μενού"
SECOND_CAPTIONS = ["Пример", "Привет", "日本語", "東京都"]
MARKER_INDEX, MISSING_INDEX, LINK_INDEX, WEB_INDEX = 0, 1, 3, 5
# Handed to the system's web opener as it stands, query and ampersand included.
WEB_ADDRESS = "https://example.org/quorel?lang=en&page=2"


def write_definition(path, text, encoding="cp1252"):
    with open(path, "w", encoding=encoding, newline="\r\n") as f:
        f.write(text)


def write_interaction_menu(build, folder, marker_target, workdir):
    """The first menu: marker item, missing target, filler | LINK item, filler, web address
    (three items a page, so two pages and their buttons); the second menu behind the LINK
    item."""
    items = [("Start the marker", "open", marker_target, " ".join(MARKER_ARGUMENTS),
              build.path_text(workdir), "Starts the marker program"),
             ("Missing target", "open", "missing.txt", "", "", "Names a file that is not there"),
             ("Filler one", "open", "readme.txt", "", "", "Fills the first page"),
             ("Second menu", "LINK", "second.ini", "", "", "Opens the second menu"),
             ("Filler two", "open", "readme.txt", "", "", "Fills the second page"),
             ("Web page", "open", WEB_ADDRESS, "", "", "Opens a web page")]
    lines = ["item=" + ",".join(fields) for fields in items]
    # UTF-8: the marker's working directory is a folder named "Папка".
    write_definition(os.path.join(folder, "Quorel.ini"), INTERACTION_GLOBAL +
                     "\n[menu]\ntitle=Interaction test\n" + "\n".join(lines) + "\n", "utf-8")
    write_definition(os.path.join(folder, "second.ini"),
                     INTERACTION_GLOBAL.replace("MenuItemsPerColumn=3", "MenuItemsPerColumn=4") +
                     "\n[menu]\ntitle=%s\n" % SECOND_TITLE +
                     "".join("item=%s,open,readme.txt,,,Ελληνικά και русский\n" % caption
                             for caption in SECOND_CAPTIONS), "utf-8")
    return [fields[0] for fields in items]


def interaction_folder(build, options, work, name):
    """A folder holding the interaction menus, their background, the marker program and its
    working directory; returns the folder and the working directory."""
    folder = os.path.join(work, name)
    os.makedirs(folder)
    shutil.copy(os.path.join(DEMO, "background.bmp"), folder)
    shutil.copy(os.path.join(DEMO, "readme.txt"), folder)
    workdir = os.path.join(folder, "Папка")
    os.makedirs(workdir)
    marker_target = build.install_marker(options, folder)
    write_interaction_menu(build, folder, marker_target, workdir)
    return folder, workdir


def check_marker(build, results, workdir, how):
    """Waits for the marker program's file and checks its parameters and working directory."""
    marker_file = os.path.join(workdir, "marker.txt")
    try:
        wait_for("the marker file", lambda: os.path.exists(marker_file),
                 build.program_start_timeout, 0.5)
        with open(marker_file, encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()
    except TimeoutError:
        lines = None
    if lines is None:
        results.check("%s: the marker program ran" % how, False, "no %s" % marker_file)
    else:
        results.check("%s: the marker program got its parameters in its working "
                      "directory" % how, build.marker_ran(lines, MARKER_ARGUMENTS, workdir),
                      "marker file %r" % lines)


def page_state_key(path):
    """The session-file section of a definition file: 3 * each signed byte of its path that is
    not a multiple of 9, summed in 32 bits, as lower-case hexadecimal."""
    total = 0
    for byte in path.encode("cp1252"):
        value = byte - 256 if byte > 127 else byte
        if value % 9 != 0:
            total += 3 * value
    return "%x" % (total & 0xFFFFFFFF)
