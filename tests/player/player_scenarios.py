#!/usr/bin/env python3
"""Runs the player against a scripted MCI device, one process per scenario, and checks the exact
MCI commands it sends, in order, and the message boxes it shows.

    player_scenarios.py path/to/scripted_player.exe

Needs DISPLAY and WINEPREFIX (ctest runs it inside scripts/test.sh). Exit code: failed count.
"""
import fnmatch
import os
import re
import shutil
import subprocess
import sys

OPEN_AVI = " TYPE AVIVIDEO ALIAS VIDEO"
OPEN_MPEG = " TYPE MPEGVIDEO ALIAS VIDEO"
START = ["SET VIDEO TIME FORMAT FRAMES", "PLAY VIDEO", "STATUS VIDEO LENGTH",
         "WHERE VIDEO SOURCE", "WHERE VIDEO SOURCE", "WINDOW VIDEO HANDLE #"]
PASS = ["STATUS VIDEO POSITION", "STATUS VIDEO MODE"]
END = ["CLOSE VIDEO"]

USAGE_TEXT = (b"Kinoblick.exe P1 (P2) (P3)\r\rP1:\rPfad + Dateiname\r\rP2: (optional)\r"
              b"1 = auf Vollbild skalieren\r0 = 100% Gr\xf6\xdfe, zentrieren\r\rP3: (optional)\r"
              b"1 = Endloswiederholung\r0 = einmal abspielen\r")
CANNOT_PLAY = b"Datei konnte nicht abgespielt werden:\r\r"

# A device that opens anything, reports a 100-frame 352 x 288 medium and is at its end at once.
DEVICE = {
    "OPEN *": ["1"],
    "STATUS VIDEO LENGTH": ["100"],
    "WHERE VIDEO SOURCE": ["0 0 352 288"],
    "STATUS VIDEO POSITION": ["100"],
    "STATUS VIDEO MODE": ["playing"],
}


def put(x, y, width, height):
    return f"PUT VIDEO DESTINATION AT {x} {y} {width} {height}"


def scenario(name, args, expected, device=None, triggers=(), screen=None, boxes=()):
    return dict(name=name, args=args, expected=expected, device={**DEVICE, **(device or {})},
                triggers=list(triggers), screen=screen, boxes=list(boxes))


def opened(file_name, device_type, put_command):
    """The start for a file in the scenario's folder; a name that is no 8.3 name has another short form."""
    short_form = "8.3" if re.fullmatch(r"[a-z0-9]{1,8}(\.[a-z0-9]{1,3})?", file_name, re.I) else "long"
    path = "{dir}\\" + file_name if short_form == "8.3" else "{dir}\\*"
    return ["OPEN " + path + device_type, *START, put_command]


CENTRED_MPEG = put(336, 240, 352, 288)

SCENARIOS = [
    # Start: device type by suffix, in any letter case; anything else opens as AVI.
    *[scenario(f"suffix {file_name}", [file_name],
               opened(file_name, device_type, put(336, 240, 352, 288)) + PASS[:1] + END)
      for file_name, device_type in [
          ("film.MPG", OPEN_MPEG), ("film.mpeg", OPEN_MPEG), ("clip.mpeg2", OPEN_MPEG),
          ("disc.svcd", OPEN_MPEG), ("track.MP3", OPEN_MPEG), ("avseq01.dat", OPEN_MPEG),
          ("film.mpe", OPEN_MPEG), ("film.avi", OPEN_AVI), ("film.mp4", OPEN_AVI),
          ("a.b", OPEN_AVI), ("mpg", OPEN_AVI)]],

    # Start: placement of the picture.
    *[scenario(name, ["film.mpg", *args], opened("film.mpg", OPEN_MPEG, expected_put) + PASS[:1] + END,
               device={"WHERE VIDEO SOURCE": [source]}, screen=screen)
      for name, source, args, screen, expected_put in [
          ("352x288 centred", "0 0 352 288", ["0"], None, CENTRED_MPEG),
          ("352x288 centred, P1 only", "0 0 352 288", [], None, CENTRED_MPEG),
          ("352x288 scaled", "0 0 352 288", ["1"], None, put(0, -35, 1024, 838)),
          ("P2 = 2 scales like 1", "0 0 352 288", ["2"], None, put(0, -35, 1024, 838)),
          ("P2 not a number: centred", "0 0 352 288", ["voll"], None, CENTRED_MPEG),
          ("640x480 scaled on 1280x1024", "0 0 640 480", ["1"], "1280x1024", put(0, 32, 1280, 960)),
          ("MPEG taller than wide is turned", "0 0 288 352", ["0"], None, CENTRED_MPEG),
          ("MPEG taller than wide, scaled", "0 0 288 352", ["1"], None, put(0, -35, 1024, 838)),
          ("no picture size: whole screen", "", ["0"], None, put(0, 0, 1024, 768)),
          ("no picture size, scaled: whole screen", "", ["1"], None, put(0, 0, 1024, 768)),
          ("zero width: whole screen", "0 0 0 288", ["1"], None, put(0, 0, 1024, 768)),
          ("zero height: whole screen", "0 0 352 0", ["0"], None, put(0, 0, 1024, 768)),
      ]],
    scenario("AVI taller than wide is not turned", ["film.avi", "0"],
             opened("film.avi", OPEN_AVI, put(368, 208, 288, 352)) + PASS[:1] + END,
             device={"WHERE VIDEO SOURCE": ["0 0 288 352"]}),

    # Start: notices.
    scenario("no words: usage notice only", [], [], boxes=[("Kinoblick Aufruf:", USAGE_TEXT, "none")]),
    scenario("open fails: notice, no retry as AVI", ["film.mpg", "1", "1"],
             ["OPEN {dir}\\film.mpg" + OPEN_MPEG],
             device={"OPEN *": ["!275"]},
             boxes=[("Kinoblick", CANNOT_PLAY + b"{dir}\\film.mpg", "main")]),
    scenario("open answers no device: notice", ["film.avi"], ["OPEN {dir}\\film.avi" + OPEN_AVI],
             device={"OPEN *": [""]}, boxes=[("Kinoblick", CANNOT_PLAY + b"{dir}\\film.avi", "main")]),
    scenario("missing file: empty short path", ["{dir}\\fehlt.avi"], ["OPEN " + OPEN_AVI],
             device={"OPEN *": ["!275"]}, boxes=[("Kinoblick", CANNOT_PLAY + b"{dir}\\fehlt.avi", "main")]),

    # Loop, played once.
    scenario("once: ends when the position reaches the length", ["film.mpg"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG) + PASS + PASS + PASS[:1] + END,
             device={"STATUS VIDEO POSITION": ["5", "50", "100"]}),
    scenario("once: ends when the device stops", ["film.avi", "0", "0"],
             opened("film.avi", OPEN_AVI, CENTRED_MPEG) + PASS + PASS + END,
             device={"STATUS VIDEO POSITION": ["99"], "STATUS VIDEO MODE": ["playing", "stopped"]}),
    scenario("once: P3 not a number plays once", ["film.avi", "0", "immer"],
             opened("film.avi", OPEN_AVI, CENTRED_MPEG) + PASS + END,
             device={"STATUS VIDEO POSITION": ["99"], "STATUS VIDEO MODE": ["stopped"]}),
    scenario("once: a length of 0 is no end; the mode is", ["film.mpg"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG) + PASS + PASS + END,
             device={"STATUS VIDEO LENGTH": ["0"], "STATUS VIDEO POSITION": ["0"],
                     "STATUS VIDEO MODE": ["playing", "stopped"]}),

    # Loop, endless repetition.
    scenario("repeat: seek and play in the pass that sees the end", ["film.mpg", "0", "1"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG) + PASS
             + ["STATUS VIDEO POSITION", "SEEK VIDEO TO 0", "STATUS VIDEO MODE", "PLAY VIDEO"] + PASS + END,
             device={"STATUS VIDEO POSITION": ["50", "100", "3"],
                     "STATUS VIDEO MODE": ["playing", "stopped", "playing"]},
             triggers=[("STATUS VIDEO MODE", 3, "key 27")]),
    scenario("repeat: a device stopped short of its length starts from the beginning", ["film.avi", "0", "1"],
             opened("film.avi", OPEN_AVI, CENTRED_MPEG)
             + ["STATUS VIDEO POSITION", "STATUS VIDEO MODE", "SEEK VIDEO TO 0", "PLAY VIDEO"] + PASS + END,
             device={"STATUS VIDEO POSITION": ["99", "1"], "STATUS VIDEO MODE": ["stopped", "playing"]},
             triggers=[("STATUS VIDEO MODE", 2, "key 27")]),

    # Loop, keys.
    scenario("Escape before the loop: closed at once", ["film.mpg", "0", "1"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG) + END,
             triggers=[("PUT VIDEO DESTINATION*", 1, "key 27")]),
    scenario("another key after Escape in the same pass goes on", ["film.mpg", "0", "1"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG) + PASS * 3 + END,
             device={"STATUS VIDEO POSITION": ["1"]},
             triggers=[("STATUS VIDEO POSITION", 2, "key 27"), ("STATUS VIDEO MODE", 2, "key 65"),
                       ("STATUS VIDEO MODE", 3, "key 27")]),
    scenario("one long Space press pauses once; the next resumes", ["film.mpg", "0", "1"],
             opened("film.mpg", OPEN_MPEG, CENTRED_MPEG)
             + PASS * 4 + ["STATUS VIDEO MODE", "PAUSE VIDEO"] + PASS * 5
             + ["STATUS VIDEO MODE", "PLAY VIDEO"] + PASS * 2 + END,
             device={"STATUS VIDEO POSITION": ["1"],
                     "STATUS VIDEO MODE": ["playing"] * 5 + ["paused"] * 6 + ["playing"]},
             triggers=[("STATUS VIDEO POSITION", 4, "space-down"), ("STATUS VIDEO POSITION", 7, "space-up"),
                       ("STATUS VIDEO POSITION", 9, "space-down"), ("STATUS VIDEO POSITION", 10, "space-up"),
                       ("STATUS VIDEO MODE", 13, "key 27")]),
]


def write_script(path, device, triggers):
    with open(path, "w", encoding="cp1252") as script:
        for command, replies in device.items():
            script.write("\t".join(["reply", command, *replies]) + "\n")
        for command, count, action in triggers:
            script.write(f"on\t{command}\t{count}\t{action}\n")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run(executable, case, work):
    directory = windows_path(work)
    words = [word.replace("{dir}", directory) for word in case["args"]]
    if words and "{dir}" not in case["args"][0]:
        open(os.path.join(work, words[0]), "wb").close()
        words[0] = directory + "\\" + words[0]
    script = os.path.join(work, "device.txt")
    log = os.path.join(work, "log.txt")
    write_script(script, case["device"], case["triggers"])
    environment = dict(os.environ, SCRIPTED_DEVICE=windows_path(script), SCRIPTED_LOG=windows_path(log))
    if case["screen"]:
        environment["SCRIPTED_SCREEN"] = case["screen"]
    try:
        completed = subprocess.run(["wine", executable, *words], cwd=work, env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        exit_code = completed.returncode
    except subprocess.TimeoutExpired:
        exit_code = "hang"
    lines = open(log, "rb").read().split(b"\n") if os.path.exists(log) else []
    commands = [re.sub(r"^WINDOW VIDEO HANDLE [1-9][0-9]*$", "WINDOW VIDEO HANDLE #", line[4:].decode("cp1252"))
                for line in lines if line.startswith(b"mci\t")]
    boxes = [tuple(line.split(b"\t")[1:]) for line in lines if line.startswith(b"box\t")]
    boxes = [(caption.decode("cp1252"), bytes.fromhex(text.decode()), owner.decode())
             for caption, text, owner in boxes]
    expected_commands = [command.replace("{dir}", directory) for command in case["expected"]]
    expected_boxes = [(caption, text.replace(b"{dir}", directory.encode()), owner)
                      for caption, text, owner in case["boxes"]]
    problems = []
    if exit_code != 0:
        problems.append(f"exit code {exit_code}, expected 0")
    if len(commands) != len(expected_commands) or not all(
            fnmatch.fnmatchcase(command, expected) for command, expected in zip(commands, expected_commands)):
        problems.append("commands:\n    got      " + "\n             ".join(commands)
                        + "\n    expected " + "\n             ".join(expected_commands))
    if boxes != expected_boxes:
        problems.append(f"boxes: got {boxes}, expected {expected_boxes}")
    return problems


def main():
    executable = os.path.abspath(sys.argv[1])
    failed = 0
    for case in SCENARIOS:
        work = f"/tmp/kbs{os.getpid() % 100000}"   # an 8.3 name: its short form is itself
        os.makedirs(work)
        try:
            problems = run(executable, case, work)
        finally:
            shutil.rmtree(work)
        print(("ok     " if not problems else "FAILED ") + case["name"], flush=True)
        for problem in problems:
            print("  " + problem)
        failed += bool(problems)
    print(f"{len(SCENARIOS) - failed} of {len(SCENARIOS)} scenarios passed")
    return failed


if __name__ == "__main__":
    sys.exit(main())
