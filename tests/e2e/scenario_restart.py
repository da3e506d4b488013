# The restart recovery end to end: a menu two levels deep ends with the desktop session (and,
# under Wine, then by a hard kill, with the Windows directory refusing the reload program), the
# log-on command brings it back, and a confirmed exit leaves nothing behind anywhere. Uses the helpers of
# run_e2e.py, handed in as kit.
import os
import signal
import subprocess
import time

from xdisplay import wait_for


def desktop_exec_argv(line):
    """The argument vector of a Desktop Entry Exec value: string escapes first, then blanks
    separate arguments and double quotes group them, with \\" \\` \\$ \\\\ inside quotes;
    %% is a percent sign."""
    text, i = [], 0
    while i < len(line):
        if line[i] == "\\" and i + 1 < len(line):
            text.append({"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(
                line[i + 1], "\\" + line[i + 1]))
            i += 2
        else:
            text.append(line[i])
            i += 1
    value = "".join(text)
    argv, current, quoted, started, i = [], [], False, False, 0
    while i < len(value):
        c = value[i]
        if quoted:
            if c == "\\" and i + 1 < len(value) and value[i + 1] in "\"`$\\":
                current.append(value[i + 1])
                i += 1
            elif c == '"':
                quoted = False
            else:
                current.append(c)
        elif c == '"':
            quoted = started = True
        elif c == " ":
            if started:
                argv.append("".join(current))
            current, started = [], False
        elif c == "%" and value[i + 1:i + 2] == "%":
            current.append("%")
            started = True
            i += 1
        else:
            current.append(c)
            started = True
        i += 1
    if started:
        argv.append("".join(current))
    return argv


RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"


def linux_entry_argv(build):
    """The autostart entry's Exec as an argument vector."""
    with open(build.autostart, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f]
    exec_lines = [line[len("Exec="):] for line in lines if line.startswith("Exec=")]
    if len(exec_lines) != 1:
        raise AssertionError("the autostart entry has no one Exec line: %r" % lines)
    return desktop_exec_argv(exec_lines[0])


class WinePlaces:
    """Where the Windows build keeps its restart recovery: the Run value under HKLM or HKCU, the
    reload program and the session file it names (a bare name: the Windows directory). Every
    place a value named is remembered, so that a clean end is checked there too."""

    def __init__(self, build):
        self.build = build
        self.programs = {os.path.join(build.windows_dir, "pindrel.exe")}
        self.sessions = {os.path.join(build.windows_dir, "quorel~.tmp")}

    def values(self):
        return {root: self.build.prefix.registry_value(root + "\\" + RUN_KEY, "QuorelReload")
                for root in ("HKLM", "HKCU")}

    def linux_path(self, windows):
        """A path of the prefix's drives on this machine, a bare name in the Windows directory;
        Windows matches names without regard to case."""
        if "\\" not in windows:
            return os.path.join(self.build.windows_dir, windows)
        drive, rest = windows.split(":", 1)
        path = "/" if drive.upper() == "Z" else os.path.join(self.build.prefix.path, "drive_c")
        for part in [p for p in rest.split("\\") if p]:
            try:
                names = {n.lower(): n for n in os.listdir(path)}
            except OSError:
                names = {}
            path = os.path.join(path, names.get(part.lower(), part))
        return path

    @staticmethod
    def split(value):
        """(program, argument) of a registered command: a quoted program or a bare name."""
        if value.startswith('"'):
            program, rest = value[1:].split('"', 1)
            return program, rest.lstrip(" ")
        program, _, argument = value.partition(" ")
        return program, argument

    def state(self):
        values = self.values()
        value = values["HKCU"] or values["HKLM"]
        if value is not None:
            program, argument = self.split(value)
            self.programs.add(self.linux_path(program))
            self.sessions.add(self.linux_path(argument))
        return values, value

    def recovery(self):
        _, value = self.state()
        return {"session file": any(os.path.isfile(p) for p in self.sessions),
                "reload program": any(os.path.isfile(p) for p in self.programs),
                "log-on entry": value is not None}


class RestoredMenu:
    """A menu process that the test did not start: known by its window's process id."""

    def __init__(self, window):
        self.window = window
        self.pid = window.pid
        self.hwnd = None

    def running(self):
        try:
            with open("/proc/%d/stat" % self.pid) as f:
                return f.read().rsplit(")", 1)[1].split()[0] != "Z"
        except (OSError, IndexError):
            return False

    def ended(self):
        if not self.running():
            raise AssertionError("the restored menu process %d ended" % self.pid)

    def errors(self):
        return ""

    def kill(self):
        if self.running():
            try:
                os.kill(self.pid, signal.SIGKILL)
            except OSError:
                pass


def scenario_restart(kit, build, options, results, work):
    folder = os.path.join(work, "restart")
    os.makedirs(folder)
    kit.shutil.copy(os.path.join(kit.DEMO, "background.bmp"), folder)
    kit.write_interaction_menu(build, folder, "readme.txt", folder)
    # The second level: one item whose target is missing, so a click marks it without
    # starting anything.
    with open(os.path.join(folder, "second.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        f.write(kit.INTERACTION_GLOBAL + "\n[menu]\ntitle=Second menu\n"
                "item=Missing here,open,absent.txt,,,Not there either\n")
    first = kit.json.loads(kit.tool(build, options, folder, "dump", "Quorel.ini"))
    page1 = kit.json.loads(kit.tool(build, options, folder, "dump", "Quorel.ini", "--page", "1"))
    second = kit.json.loads(kit.tool(build, options, folder, "dump", "second.ini"))
    settings = first["settings"]
    background = kit.read_bmp24(os.path.join(folder, "background.bmp"))
    missing_index, link_index = 1, 3
    slow = 20 if build.exact_pictures else 120

    def caption_shown(title, pid=None):
        return wait_for("a window captioned %r" % title,
                        lambda: build.screen.find(name=title, pid=pid), slow, 0.5)[-1]

    def expect(label, window, file_name, page, visited, dump):
        """Waits for (and checks) the picture the tool renders for this state. The tool shows
        every file as the first level: below it, the exit button's place shows the return
        button instead."""
        path = os.path.join(work, "expected-restart-%s.png" % label.replace(" ", "-"))
        arguments = ["render", file_name, "-o", path, "--page", str(page)]
        if visited:
            arguments += ["--visited", ",".join(str(i) for i in visited)]
        kit.tool(build, options, folder, *arguments)
        ignore = [kit.entry_rect(dump, "exitButton")] if dump is second else []
        kit.picture_report(build, results, "restart: " + label, window, kit.read_png(path),
                           background, dump, options.out, "restart " + label, drawn_check=False,
                           ignore=ignore)

    def missing_box(menu, window, path):
        box = build.wait_box(kit.APP_TITLE, build.path_text(path) + " - not found!", menu,
                             exclude=(window.xid,))
        build.answer(box, "OK")

    elsewhere = os.path.join(work, "restart-elsewhere")
    os.makedirs(elsewhere)
    wine = build.name == "wine"
    places = WinePlaces(build) if wine else None

    def recovery():
        return places.recovery() if wine else build.restart_recovery()

    if not wine:
        # The end of a desktop session with SIGHUP (the display's session going away): the
        # program ends and leaves all three for the next log-on.
        menu = build.start(folder)
        try:
            build.wait_main(menu)
            menu.process.send_signal(signal.SIGHUP)
            code = menu.exit_code(build.box_timeout)
            results.check("restart: SIGHUP ends the menu with 0 and leaves all three",
                          code == 0 and all(recovery().values()),
                          "exit code %s, %r%s" % (code, recovery(), menu.errors()))
        finally:
            menu.kill()

    # Windows: the Windows directory refuses the reload program, as it refuses a standard user
    # on current Windows (a folder of its name stands in the way).
    blocker = os.path.join(build.windows_dir, "pindrel.exe") if wine else None
    if blocker is not None:
        if os.path.isfile(blocker):
            os.remove(blocker)
        os.makedirs(blocker, exist_ok=True)
    menu = build.start(folder)
    restored = None
    try:
        window = build.wait_main(menu)
        pointer = kit.Pointer(build, window)
        pointer.away()
        # Level 0: a mark, page 1, then the LINK item (marked too) opens level 1.
        expect("level 0 opens", window, "Quorel.ini", 0, [], first)
        pointer.click(first["items"][missing_index]["rect"])
        missing_box(menu, window, os.path.join(folder, "missing.txt"))
        pointer.click(kit.entry_rect(first, "forwardButton"))
        pointer.away()
        expect("level 0 at page 1", window, "Quorel.ini", 1, [missing_index], page1)
        pointer.click(page1["items"][link_index]["rect"])
        window = caption_shown(second["settings"]["titleText"], window.pid)
        pointer = kit.Pointer(build, window)
        pointer.away()
        expect("level 1 opens", window, "second.ini", 0, [], second)
        pointer.click(second["items"][0]["rect"])
        missing_box(menu, window, os.path.join(folder, "absent.txt"))
        pointer.away()
        expect("level 1 with its mark", window, "second.ini", 0, [0], second)
        before = build.screen.picture(window)

        values = kit.session_values(build) or {}
        results.check("restart: the session file holds Exec, Workpath, Session0 and Session1",
                      all(values.get(k) for k in ("exec", "workpath", "session0", "session1"))
                      and build.same_path(values["workpath"], build.path_text(folder))
                      and "second.ini" in values["session1"].lower(), "Config %r" % values)
        if wine:
            values, value = places.state()
            print("# Run values: HKLM %r, HKCU %r" % (values["HKLM"], values["HKCU"]), flush=True)
            program = WinePlaces.split(value)[0] if value else ""
            results.check("restart: the Windows directory refusing the reload program, HKCU "
                          "names it by its quoted full path and HKLM holds nothing",
                          values["HKLM"] is None and value is not None and value.startswith('"')
                          and "\\" in program and os.path.isfile(places.linux_path(program)),
                          repr(values))
            reload_path = places.linux_path(program) if program else build.reload_program
        else:
            reload_path = build.reload_program
        with open(reload_path, "rb") as f:
            written = f.read()
        with open(options.reload, "rb") as f:
            built = f.read()
        results.check("restart: the reload program is the built one, byte for byte",
                      written == built, "%d bytes written, %d built" % (len(written), len(built)))
        results.check("restart: the log-on registration exists", recovery()["log-on entry"])

        if wine:
            # The system menu's About (command 104) opens the box that Escape does not close.
            build.helper.post("syscommand", menu.hwnd, 104)
            about = build.wait_box("About", kit.ABOUT_TEXT, menu, exclude=(window.xid,))
            build.helper.post("command", about, 2)  # Cancel, as Escape gives it
            time.sleep(1.0)  # a box that would close on Cancel has gone by now
            results.check("restart: the system menu's About box stays on Escape",
                          not build.helper.gone(about))
            build.answer(about, "OK")
            # The end of the Windows session: the query is answered yes, and nothing is
            # removed.
            answer = build.helper.end_session(menu.hwnd)
            results.check("restart: the end of the Windows session leaves all three",
                          answer == 1 and all(recovery().values())
                          and build.screen.exists(window.xid),
                          "query answered %d, %r" % (answer, recovery()))
            # Then a power cut: nothing of a normal end runs.
            menu.kill()
        else:
            # The end of a desktop session: SIGTERM ends the program, the recovery stays.
            menu.process.send_signal(signal.SIGTERM)
            code = menu.exit_code(build.box_timeout)
            results.check("restart: SIGTERM ends the menu with 0", code == 0,
                          "exit code %s%s" % (code, menu.errors()))
        wait_for("the ended menu's window to go", lambda: not build.screen.exists(window.xid),
                 slow, 0.5)
        results.check("restart: the ended menu leaves all three", all(recovery().values()),
                      repr(recovery()))

        # The log-on runs the registered command.
        if wine:
            command = places.state()[1]
            code = build.helper.run(command, build.start_timeout)
        else:
            command = linux_entry_argv(build)
            code = subprocess.run(command, cwd=elsewhere, env=build.environment,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL,
                                  timeout=build.start_timeout).returncode
        results.check("restart: the reload program exits with 0", code == 0,
                      "%r exited with %d" % (command, code))
        window = wait_for("the restored menu", lambda: build.screen.find(
            name=second["settings"]["titleText"]), build.start_timeout, 0.5)[-1]
        restored = RestoredMenu(window)
        pointer = kit.Pointer(build, window)
        pointer.away()
        state = {}

        def same_as_before():
            state["after"] = build.screen.picture(window)
            return not kit.differing_pixels(state["after"], before, [], limit=1)

        try:
            wait_for("the level 1 picture", same_as_before, slow, 0.5)
        except TimeoutError:
            kit.write_png(os.path.join(options.out, "%s-restart-before.png" % build.name), before)
            kit.write_png(os.path.join(options.out, "%s-restart-after.png" % build.name),
                          state["after"])
        results.check("restart: the menu comes back at level 1 with its mark",
                      "after" in state and same_as_before(), "see %s" % options.out)
        try:
            wait_for("the registration again", lambda: all(recovery().values()), slow, 1.0)
            registered = True
        except TimeoutError:
            registered = False
        results.check("restart: registered again", registered, repr(recovery()))

        # The return button: level 0 at page 1 with its marks, in its own directory.
        pointer.click(kit.entry_rect(second, "exitButton"))  # the return button's place
        window = caption_shown(settings["titleText"], window.pid)
        pointer = kit.Pointer(build, window)
        pointer.away()
        expect("the return button shows level 0 at page 1 with its marks", window,
               "Quorel.ini", 1, [missing_index, link_index], page1)
        pointer.click(kit.entry_rect(page1, "backwardButton"))
        pointer.click(first["items"][missing_index]["rect"])
        missing_box(restored, window, os.path.join(folder, "missing.txt"))
        results.check("restart: level 0 works in its own directory", True)

        # The exit question: No keeps everything, Yes removes everything.
        build.screen.request_close(window)
        box = build.wait_box(settings["exitTitle"], settings["exitMessage"], restored,
                             exclude=(window.xid,))
        build.answer(box, "No")
        results.check("restart: exit answered No keeps all three", all(recovery().values()),
                      repr(recovery()))
        build.screen.request_close(window)
        box = build.wait_box(settings["exitTitle"], settings["exitMessage"], restored,
                             exclude=(window.xid,))
        build.answer(box, "Yes")
        wait_for("the restored menu to end", lambda: not build.screen.exists(window.xid),
                 build.box_timeout, 0.5)
        try:
            wait_for("nothing left", lambda: not any(recovery().values()), slow, 1.0)
            cleaned = True
        except TimeoutError:
            cleaned = False
        results.check("restart: exit answered Yes leaves nothing", cleaned, repr(recovery()))
        if wine:
            values = places.values()
            left = [p for p in places.programs | places.sessions if os.path.isfile(p)]
            folders = [os.path.dirname(p) for p in places.programs
                       if os.path.basename(os.path.dirname(p)).lower() == "quorel"]
            results.check("restart: no file and no value anywhere, the user's folder gone",
                          not left and not any(values.values())
                          and not any(os.path.exists(f) for f in folders),
                          "files %r, values %r, folders %r" % (left, values, folders))
    finally:
        menu.kill()
        if restored is not None:
            restored.kill()
        if blocker is not None and os.path.isdir(blocker):
            os.rmdir(blocker)

