#!/usr/bin/env python3
"""Runs the player against a scripted MCI device (this program), one process per scenario, and checks
in order the MCI commands it sends and its message boxes, and its exit code.
player_scenarios.py scripted_player.exe   (needs DISPLAY, WINEPREFIX)"""
import contextlib
import fnmatch
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True   # no cache files in the source tree
import player_e2e as e2e  # noqa: E402   the work folder and the case runner

START = ["SET VIDEO TIME FORMAT FRAMES", "PLAY VIDEO", "STATUS VIDEO LENGTH",
         "WHERE VIDEO SOURCE", "WHERE VIDEO SOURCE", "WINDOW VIDEO HANDLE [1-9]*"]
POSITION, MODE, REWIND = "STATUS VIDEO POSITION", "STATUS VIDEO MODE", ["SEEK VIDEO TO 0", "PLAY VIDEO"]
PASS = [POSITION, MODE]
USAGE_TEXT = ("Kinoblick.exe P1 (P2) (P3)\r\rP1:\rPfad + Dateiname\r\rP2: (optional)\r1 = auf Vollbild skalieren\r"
              "0 = 100% Größe, zentrieren\r\rP3: (optional)\r1 = Endloswiederholung\r0 = einmal abspielen\r")
CANNOT_PLAY = "box main\tKinoblick\tDatei konnte nicht abgespielt werden:\r\r"
# A device that opens anything, has a 100-frame 352 x 288 medium at its end at once, answers the rest with nothing.
DEVICE = {"OPEN *": ["1"], "STATUS VIDEO LENGTH": ["100"], "WHERE VIDEO SOURCE": ["0 0 352 288"],
          POSITION: ["100"], MODE: ["playing"], "*": [""]}
PUT = "PUT VIDEO DESTINATION AT "
CENTRED, SCALED = PUT + "336 240 352 288", PUT + "0 -35 1024 838"


def opening(name, *kinds):
    """The open commands for a file in the current folder; a long name has another short form."""
    short = name if re.fullmatch(r"[a-z0-9]{1,8}(\.[a-z0-9]{1,3})?", name, re.I) else "*~*"
    return [f"OPEN {short} TYPE {kind}VIDEO ALIAS VIDEO" for kind in kinds]


def played(name, kinds, put_command, loop):
    return opening(name, *kinds) + START + [put_command] + loop + ["CLOSE VIDEO"]


def scenario(name, args, expected, device=(), triggers=()):
    """device: replies by command pattern, the last one repeated ("!n": MCI error n); triggers:
    (command pattern, its how-manieth match, action done before the device answers)."""
    return name, args, expected, {**DEVICE, **dict(device)}, triggers


def cannot_play(name, args, opens, device=(("OPEN *", ["!275"]),)):
    return scenario(name, args, opens + [CANNOT_PLAY + args[0]], device)


SCENARIOS = [
    # Device type by suffix, in any letter case; played once, the player ends in the first pass
    # that sees the position at the length.
    *[scenario(f"suffix {name}", [name], played(name, [kind], CENTRED, PASS[:1]))
      for kind, names in [("MPEG", "film.MPG|film.mpeg|clip.mpeg2|disc.svcd|track.MP3|avseq01.dat|film.mpe"),
                          ("AVI", "film.avi|film.mp4|a.b|mpg|mein clip.avi")] for name in names.split("|")],
    # Placement: P2 2 fits the whole picture, another nonzero P2 the screen width, 0 or a word centres; a picture
    # taller than wide is turned for MPEG names only (not on the second open); no picture size: the screen.
    *[scenario(f"placed: {name} {source!r} P2 {scale}", [name, scale], played(name, kinds.split(), put, PASS[:1]),
               device=[("WHERE VIDEO SOURCE", [source]), ("OPEN *", ["!266"] * kinds.count(" ") + ["1"])])
      for name, kinds, source, scale, put in [
          ("film.mpg", "MPEG", "0 0 288 352", "2", PUT + "43 0 939 768"), ("film.avi", "AVI", "", "1", PUT + "0 0 1024 768"),
          ("film.avi", "AVI", "0 0 640 360", "2", PUT + "0 96 1024 576"),
          ("film.avi", "AVI", "0 0 288 352", "voll", PUT + "368 208 288 352"),
          ("film.mp4", "AVI MPEG", "0 0 288 352", "-1", PUT + "0 -242 1024 1252")]],
    scenario("no words: usage notice only", [], ["box none\tKinoblick Aufruf:\t" + USAGE_TEXT]),
    cannot_play("MPEG name fails: notice, no second try", ["film.mpg", "1", "1"], opening("film.mpg", "MPEG")),
    cannot_play("AVI, MPEG fail: notice; a name outside the code page is opened by its short form, named as typed",
                ["Москва 🎉.mkv"], opening("Москва 🎉.mkv", "AVI", "MPEG"), [("OPEN *", ["!266", ""])]),
    cannot_play("missing file, a name longer than a path may be: no short path, no second try",
                ["x" * 600 + ".avi"], ["OPEN  TYPE AVIVIDEO ALIAS VIDEO"]),
    scenario("once: a length of 0 is no end, a stopped device is; P3 not a number plays once",
             ["film.avi", "0", "immer"], played("film.avi", ["AVI"], CENTRED, PASS * 2), triggers=[(MODE, 3, "key 27")],
             device=[("STATUS VIDEO LENGTH", ["0"]), (POSITION, ["0"]), (MODE, ["playing", "stopped"])]),
    scenario("repeat: rewound in the pass that sees the end or a device stopped short of it", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, PASS + [POSITION, REWIND[0], MODE, REWIND[1]] + PASS + REWIND + PASS),
             device=[(POSITION, ["50", "100", "99", "3"]), (MODE, ["playing", "stopped", "stopped", "playing"])],
             triggers=[(MODE, 4, "key 27")]),
    scenario("Escape without the focus ends the player while it covers the screen, not while it is minimised",
             ["film.avi", "0", "1"], played("film.avi", ["AVI"], CENTRED, PASS * 6), device=[(POSITION, ["1"]), (MODE, ["playing"])],
             triggers=[(POSITION, 1, "front"), (POSITION, 2, "minimise"), (POSITION, 2, "escape-down"), (POSITION, 4, "escape-up"),
                       (POSITION, 4, "restore"), (POSITION, 4, "front"), (POSITION, 6, "escape-down"), (POSITION, 8, "key 27"),
                       ("CLOSE VIDEO", 1, "escape-up")]),
    scenario("Escape before the loop: closed at once", ["film.mpg", "0", "1"],
             played("film.mpg", ["MPEG"], CENTRED, []), triggers=[("PUT VIDEO DESTINATION*", 1, "key 27")]),
    scenario("Space: one long press pauses once, the next resumes a pause seen as stopped; a key after Escape goes on",
             ["film.mpg", "0", "1"], played("film.mpg", ["MPEG"], CENTRED, PASS * 4 + [MODE, "PAUSE VIDEO"]
                                            + PASS * 5 + [MODE, "PLAY VIDEO"] + PASS * 2),
             device=[(POSITION, ["1"]), (MODE, ["playing"] * 5 + ["paused"] + ["stopped"] * 5 + ["playing"])],
             triggers=[(POSITION, 2, "key 27"), (MODE, 2, "key 65"), (POSITION, 4, "space-down"),
                       (POSITION, 7, "space-up"), (POSITION, 9, "space-down"), (POSITION, 10, "space-up"),
                       (MODE, 13, "key 27")]),
]


def answer(device, triggers, reported):
    """The scripted device's lines for the last command reported: triggered actions, then its reply."""
    command = reported[-1]
    lines = [f"do {action}" for pattern, count, action in triggers
             if fnmatch.fnmatchcase(command, pattern) and len(fnmatch.filter(reported, pattern)) == count]
    replies = next(replies for pattern, replies in device.items() if fnmatch.fnmatchcase(command, pattern))
    reply = replies.pop(0) if len(replies) > 1 else replies[0]
    return "".join(f"{line}\n" for line in lines + [f"fail {reply[1:]}" if reply[:1] == "!" else f"ok {reply}"])


def check(name, args, expected, device, triggers):
    if args and len(args[0]) < 255:   # the medium, unless no file can have its name
        open(os.path.join(e2e.FOLDER.name, args[0]), "wb").close()
    player = subprocess.Popen(["timeout", "60", "wine", os.path.abspath(sys.argv[1]), *args], cwd=e2e.FOLDER.name,
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0,
                              env=dict(os.environ, LANG="C.UTF-8"))   # the words reach Wine as typed
    reported = []
    for line in player.stdout:   # each ends in CR LF
        reported.append(line[:-2].decode("utf-8" if line.startswith(b"box ") else "cp1252"))
        with contextlib.suppress(BrokenPipeError):   # the player has gone; its exit code tells
            if not reported[-1].startswith("box "):
                player.stdin.write(answer(device, triggers, reported).encode("cp1252"))
    exit_code = player.wait()
    assert not exit_code and len(reported) == len(expected) and all(map(fnmatch.fnmatchcase, reported, expected)), (
        f"exit code {exit_code} (124: hung)\n  got      " + "\n           ".join(map(repr, reported))
        + "\n  expected " + "\n           ".join(map(repr, expected)))


if __name__ == "__main__":
    sys.exit(e2e.run(SCENARIOS, check))
