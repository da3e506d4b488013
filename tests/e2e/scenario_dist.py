# A disc folder made by `quorel-tool dist`, copied to a path with a blank and quotes, started
# as a desktop starts it: through autorun.sh natively, with the build machine's SDL2, SDL2_ttf,
# FreeType, HarfBuzz and fontconfig covered so only the bundled copies can load; its quorel.exe
# under Wine (one Wine start). Uses the helpers of run_e2e.py, handed in as kit.
import glob
import json
import os
import shutil
import subprocess

# The build machine's copies that the portable program must not need.
HIDDEN = ("libSDL2-2.0.so.0", "libSDL2_ttf-2.0.so.0", "libfreetype.so.6", "libharfbuzz.so.0",
          "libfontconfig.so.1")


def system_copies():
    found = set()
    for name in HIDDEN:
        for folder in ("/usr/lib/x86_64-linux-gnu", "/lib/x86_64-linux-gnu", "/usr/lib64",
                       "/usr/lib"):
            for path in glob.glob(os.path.join(folder, name + "*")):
                found.add(os.path.realpath(path))
    return sorted(found)


def make_disc(kit, build, options, work):
    """The demo's disc folder, copied to a path with a blank and quotes (a single one under
    Wine)."""
    exe = (os.path.abspath(options.quorel) if build.name == "wine" else
           os.path.join(work, "stand-in.exe"))
    if build.name != "wine":
        with open(exe, "wb") as f:
            f.write(b"MZ")
    portable = options.portable
    if build.name == "wine" and not os.path.exists(os.path.join(portable or "", "quorel")):
        # The Linux half plays no part under Wine.
        portable = os.path.join(work, "stand-in-linux")
        os.makedirs(portable, exist_ok=True)
        with open(os.path.join(portable, "quorel"), "w") as f:
            f.write("#!/bin/sh\n")
    made = os.path.join(work, "dist-made")
    kit.tool(build, options, work, "dist", kit.DEMO, made, "--exe", exe, "--linux", portable)
    # Windows names cannot hold a double quote.
    disc = os.path.join(work, "medium 'one two" if build.name == "wine" else "medium 'one\" two")
    shutil.copytree(made, disc, symlinks=True)
    return disc


def close_with_yes(kit, build, results, menu, window, dump, label):
    build.screen.request_close(window)
    box = build.wait_box(dump["settings"]["exitTitle"], dump["settings"]["exitMessage"], menu,
                         exclude=(window.xid,))
    build.answer(box, "Yes")
    code = menu.exit_code(build.box_timeout)
    results.check("%s: ends with 0 after Yes" % label, code == 0,
                  "exit code %s%s" % (code, menu.errors()))


def start_autorun(build, disc, hidden, log):
    """autorun.sh in a mount namespace of its own where each hidden library is /dev/null;
    unshare and the shells exec, so the menu keeps the started process id."""
    covers = "".join("mount --bind /dev/null '%s' && " % path for path in hidden)
    command = ["unshare", "-m", "--propagation", "private", "sh", "-c",
               covers + 'exec sh "$0"', os.path.join(disc, "autorun.sh")]
    environment = {k: v for k, v in build.environment.items() if k != "LD_LIBRARY_PATH"}
    with open(log, "wb") as errors:
        return subprocess.Popen(command, cwd="/", env=environment, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=errors)


def scenario_dist(kit, build, options, results, work):
    if build.name == "linux":
        if not options.portable or not os.path.exists(os.path.join(options.portable, "quorel")):
            print("skip: the portable program is not built here (the linux preset builds it)")
            return
        if os.geteuid() != 0 or subprocess.run(["unshare", "-m", "true"]).returncode != 0:
            print("skip: covering the system libraries needs a mount namespace (root)")
            return
    disc = make_disc(kit, build, options, work)
    dump = json.loads(kit.tool(build, options, disc, "dump", "Quorel.ini"))
    expected_path = os.path.join(work, "expected-dist.png")
    kit.tool(build, options, disc, "render", "Quorel.ini", "-o", expected_path)
    expected = kit.read_png(expected_path)
    background = kit.read_bmp24(os.path.join(disc, "background.bmp"))

    if build.name == "linux":
        hidden = system_copies()
        results.check("dist: the build machine's SDL2, SDL2_ttf, FreeType, HarfBuzz, fontconfig "
                      "found to cover", len(hidden) >= len(HIDDEN), repr(hidden))
        menu = kit.Menu(start_autorun(build, disc, hidden, os.path.join(work, "dist.log")),
                        os.path.join(work, "dist.log"))
        label = "dist autorun.sh"
    else:
        menu = kit.Menu(build.prefix.start(os.path.join(disc, "quorel.exe"), [], cwd=disc))
        label = "dist quorel.exe"
    try:
        window = build.wait_main(menu)
        kit.picture_report(build, results, "%s: picture matches quorel-tool render%s" % (
                               label, "" if build.exact_pictures else " outside the text"),
                           window, expected, background, dump, options.out,
                           label)
        if build.name == "linux":
            with open("/proc/%d/maps" % menu.process.pid) as f:
                maps = f.read()
            bundled = os.path.join(disc, "linux", "lib") + "/"
            results.check("dist autorun.sh: HarfBuzz and FreeType come from the disc",
                          all(bundled + name in maps for name in ("libharfbuzz.so.0",
                                                                   "libfreetype.so.6")))
            results.check("dist autorun.sh: no covered library is used",
                          not any(path in maps for path in hidden))
        close_with_yes(kit, build, results, menu, window, dump, label)
    finally:
        menu.kill()
