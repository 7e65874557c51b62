#!/usr/bin/env python3
"""Runs the player against a scripted MCI device (this program), one process per scenario, and
checks what it does, in order: the MCI commands it sends, its message boxes, the background it
leaves in its back buffer; and its exit code.

    player_scenarios.py path/to/scripted_player.exe     (needs DISPLAY and WINEPREFIX)
"""
import fnmatch
import os
import re
import shutil
import subprocess
import sys
import threading

START = ["SET VIDEO TIME FORMAT FRAMES", "PLAY VIDEO", "STATUS VIDEO LENGTH",
         "WHERE VIDEO SOURCE", "WHERE VIDEO SOURCE", "WINDOW VIDEO HANDLE [1-9]*"]
PASS = ["STATUS VIDEO POSITION", "STATUS VIDEO MODE"]
END = {"MPEG": ["background 100010", "CLOSE VIDEO"], "AVI": ["background 000000", "CLOSE VIDEO"]}
USAGE_TEXT = ("Kinoblick.exe P1 (P2) (P3)\r\rP1:\rPfad + Dateiname\r\rP2: (optional)\r1 = auf Vollbild skalieren\r"
              "0 = 100% Größe, zentrieren\r\rP3: (optional)\r1 = Endloswiederholung\r0 = einmal abspielen\r")
CANNOT_PLAY = "Datei konnte nicht abgespielt werden:\r\r"
# A device that opens anything, reports a 100-frame 352 x 288 medium and is at its end at once.
DEVICE = {"OPEN *": ["1"], "STATUS VIDEO LENGTH": ["100"], "WHERE VIDEO SOURCE": ["0 0 352 288"],
          "STATUS VIDEO POSITION": ["100"], "STATUS VIDEO MODE": ["playing"]}


def put(x, y, width, height):
    return f"PUT VIDEO DESTINATION AT {x} {y} {width} {height}"


CENTRED, SCALED = put(336, 240, 352, 288), put(0, -35, 1024, 838)


def opening(name, *kinds):
    """The open commands for a file in the scenario's folder; a long name has another short form."""
    short = name if re.fullmatch(r"[a-z0-9]{1,8}(\.[a-z0-9]{1,3})?", name, re.I) else "*"
    return [f"OPEN {{dir}}\\{short} TYPE {kind}VIDEO ALIAS VIDEO" for kind in kinds]


def played(name, kinds, put_command, loop):
    """Opened (the last of kinds succeeding), started, placed, the loop's commands, closed."""
    return opening(name, *kinds) + START + [put_command] + loop + END[kinds[-1]]


def scenario(name, args, expected, device=(), triggers=(), screen=None):
    return dict(name=name, args=args, expected=expected, device={**DEVICE, **dict(device)},
                triggers=list(triggers), screen=screen)


def cannot_play(name, args, opens, device=(("OPEN *", ["!275"]),)):
    """The open commands, then the notice naming the file as typed, owned by the main window."""
    path = args[0] if "{dir}" in args[0] else "{dir}\\" + args[0]
    return scenario(name, args, opens + [f"box main\tKinoblick\t{CANNOT_PLAY}{path}"], device)


ESCAPE_AT = [("STATUS VIDEO MODE", 3, "key 27")]
SCENARIOS = [
    # Device type by suffix, in any letter case; played once, the player ends in the first pass
    # that sees the position at the length.
    *[scenario(f"suffix {name}", [name], played(name, [kind], CENTRED, PASS[:1]))
      for name, kind in [("film.MPG", "MPEG"), ("film.mpeg", "MPEG"), ("clip.mpeg2", "MPEG"),
                         ("disc.svcd", "MPEG"), ("track.MP3", "MPEG"), ("avseq01.dat", "MPEG"),
                         ("film.mpe", "MPEG"), ("film.avi", "AVI"), ("film.mp4", "AVI"), ("a.b", "AVI"),
                         ("mpg", "AVI"), ("mein clip.avi", "AVI")]],
    # Placement of the picture: MPEG pictures taller than wide are turned, AVI pictures never.
    *[scenario(name, [file_name, scale], played(file_name, [kind], expected, PASS[:1]),
               device=[("WHERE VIDEO SOURCE", [source])], screen=screen)
      for name, file_name, kind, source, scale, screen, expected in [
          ("centred", "film.mpg", "MPEG", "0 0 352 288", "0", None, CENTRED),
          ("scaled", "film.mpg", "MPEG", "0 0 352 288", "1", None, SCALED),
          ("P2 = 2 scales like 1", "film.mpg", "MPEG", "0 0 352 288", "2", None, SCALED),
          ("P2 not a number: centred", "film.mpg", "MPEG", "0 0 352 288", "voll", None, CENTRED),
          ("640x480 scaled on 1280x1024", "film.mpg", "MPEG", "0 0 640 480", "1", "1280x1024", put(0, 32, 1280, 960)),
          ("MPEG taller than wide is turned", "film.mpg", "MPEG", "0 0 288 352", "0", None, CENTRED),
          ("AVI taller than wide is not turned", "film.avi", "AVI", "0 0 288 352", "0", None, put(368, 208, 288, 352)),
          ("no picture size: whole screen", "film.mpg", "MPEG", "", "0", None, put(0, 0, 1024, 768)),
          ("zero width, scaled: whole screen", "film.avi", "AVI", "0 0 0 288", "1", None, put(0, 0, 1024, 768))]],
    # Second try: a name outside the list that the AVI device cannot open is an MPEG medium when
    # the MPEG device opens it (turned, black-violet background).
    scenario("AVI fails, MPEG opens: an MPEG medium", ["film.mp4", "1"],
             played("film.mp4", ["AVI", "MPEG"], SCALED, PASS[:1]),
             device=[("OPEN *", ["!266", "1"]), ("WHERE VIDEO SOURCE", ["0 0 288 352"])]),
    # Notices.
    scenario("no words: usage notice only", [], [f"box none\tKinoblick Aufruf:\t{USAGE_TEXT}"]),
    cannot_play("MPEG name fails: notice, no second try", ["film.mpg", "1", "1"], opening("film.mpg", "MPEG")),
    cannot_play("AVI and MPEG fail: notice", ["film.mkv"], opening("film.mkv", "AVI", "MPEG"),
                device=[("OPEN *", ["!266", ""])]),
    cannot_play("missing file: empty short path, no second try", ["{dir}\\fehlt.avi"],
                ["OPEN  TYPE AVIVIDEO ALIAS VIDEO"]),
    cannot_play("a name far longer than a path may be", ["{dir}\\" + "x" * 600 + ".avi"],
                ["OPEN  TYPE AVIVIDEO ALIAS VIDEO"]),
    # Loop, played once.
    scenario("once: ends when the device stops; P3 not a number plays once", ["film.avi", "0", "immer"],
             played("film.avi", ["AVI"], CENTRED, PASS * 2),
             device=[("STATUS VIDEO POSITION", ["99"]), ("STATUS VIDEO MODE", ["playing", "stopped"])]),
    scenario("once: a length of 0 is no end; the mode is", ["film.mpg"],
             played("film.mpg", ["MPEG"], CENTRED, PASS * 2),
             device=[("STATUS VIDEO LENGTH", ["0"]), ("STATUS VIDEO POSITION", ["0"]),
                     ("STATUS VIDEO MODE", ["playing", "stopped"])]),
    # Loop, endless repetition.
    scenario("repeat: seek and play in the pass that sees the end", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, PASS + ["STATUS VIDEO POSITION", "SEEK VIDEO TO 0",
                                                           "STATUS VIDEO MODE", "PLAY VIDEO"] + PASS),
             device=[("STATUS VIDEO POSITION", ["50", "100", "3"]),
                     ("STATUS VIDEO MODE", ["playing", "stopped", "playing"])], triggers=ESCAPE_AT),
    scenario("repeat: a device stopped short of its length starts from the beginning", ["film.avi", "0", "1"],
             played("film.avi", ["AVI"], CENTRED, PASS + ["SEEK VIDEO TO 0", "PLAY VIDEO"] + PASS),
             device=[("STATUS VIDEO POSITION", ["99", "1"]), ("STATUS VIDEO MODE", ["stopped", "playing"])],
             triggers=[("STATUS VIDEO MODE", 2, "key 27")]),
    # Loop, keys.
    scenario("Escape before the loop: closed at once", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, []), triggers=[("PUT VIDEO DESTINATION*", 1, "key 27")]),
    scenario("another key after Escape in the same pass goes on", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, PASS * 3), device=[("STATUS VIDEO POSITION", ["1"])],
             triggers=[("STATUS VIDEO POSITION", 2, "key 27"), ("STATUS VIDEO MODE", 2, "key 65")] + ESCAPE_AT),
    scenario("one long Space press pauses once; the next resumes", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, PASS * 4 + ["STATUS VIDEO MODE", "PAUSE VIDEO"] + PASS * 5
                    + ["STATUS VIDEO MODE", "PLAY VIDEO"] + PASS * 2),
             device=[("STATUS VIDEO POSITION", ["1"]),
                     ("STATUS VIDEO MODE", ["playing"] * 5 + ["paused"] * 6 + ["playing"])],
             triggers=[("STATUS VIDEO POSITION", 4, "space-down"), ("STATUS VIDEO POSITION", 7, "space-up"),
                       ("STATUS VIDEO POSITION", 9, "space-down"), ("STATUS VIDEO POSITION", 10, "space-up"),
                       ("STATUS VIDEO MODE", 13, "key 27")]),
]


def answer(case, command, answered, seen):
    """The scripted device's lines for one command: its triggered actions, then its reply."""
    lines = []
    for index, (pattern, count, action) in enumerate(case["triggers"]):
        seen[index] = seen.get(index, 0) + fnmatch.fnmatchcase(command, pattern)
        lines += [f"do {action}"] if fnmatch.fnmatchcase(command, pattern) and seen[index] == count else []
    pattern = next((p for p in case["device"] if fnmatch.fnmatchcase(command, p)), None)
    replies = case["device"].get(pattern, [""])
    answered[pattern] = answered.get(pattern, -1) + 1
    reply = replies[min(answered[pattern], len(replies) - 1)]
    return lines + [f"fail {reply[1:]}" if reply.startswith("!") else f"ok {reply}"]


def run(executable, case, work):
    """The problems seen in one scenario, played in the folder work."""
    directory = "Z:" + work.replace("/", "\\")
    words = [word.replace("{dir}", directory) for word in case["args"]]
    if words and "{dir}" not in case["args"][0]:
        open(os.path.join(work, words[0]), "wb").close()
        words[0] = directory + "\\" + words[0]
    process = subprocess.Popen(["wine", executable, *words], cwd=work, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, env=dict(os.environ, SCRIPTED_SCREEN=case["screen"] or ""))
    watchdog = threading.Timer(60, process.kill)
    watchdog.start()
    reported, answered, seen = [], {}, {}
    for line in process.stdout:
        kind, _, payload = line.rstrip(b"\n").decode("cp1252").partition("\t")
        reported.append(payload if kind == "mci" else f"{kind} {payload}")
        try:
            if kind == "mci":
                process.stdin.write("".join(f"{l}\n" for l in answer(case, payload, answered, seen)).encode("cp1252"))
                process.stdin.flush()
        except BrokenPipeError:   # the player has gone; its exit code tells
            pass
    exit_code = process.wait() if watchdog.is_alive() else "hang"
    watchdog.cancel()
    expected = [entry.replace("{dir}", directory) for entry in case["expected"]]
    problems = [f"exit code {exit_code}, expected 0"] if exit_code != 0 else []
    if len(reported) != len(expected) or not all(map(fnmatch.fnmatchcase, reported, expected)):
        problems.append("reported:\n    got      " + "\n             ".join(map(repr, reported))
                        + "\n    expected " + "\n             ".join(map(repr, expected)))
    return problems


def main():
    failed = 0
    for case in SCENARIOS:
        work = f"/tmp/kbs{os.getpid() % 100000}"   # an 8.3 name: its short form is itself
        os.makedirs(work)
        try:
            problems = run(os.path.abspath(sys.argv[1]), case, work)
        finally:
            shutil.rmtree(work)
        print(("ok     " if not problems else "FAILED ") + case["name"], *problems, sep="\n  ", flush=True)
        failed += bool(problems)
    print(f"{len(SCENARIOS) - failed} passed, {failed} failed")
    return failed


if __name__ == "__main__":
    sys.exit(main())
