#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine as a user sees it: the picture (screenshots), keys (xdotool), another
program and a change of the screen (window_probe.exe), the exit code; from Wine's trace what no screen shows.
    player_e2e.py Kinoblick.exe window_probe.exe   (DISPLAY 1024x768x24, WINEPREFIX, ffmpeg, xdotool)"""
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time

BLUE, YELLOW, BLACK, MPEG_BACKGROUND = (32, 64, 224), (224, 192, 32), (0, 0, 0), (16, 0, 16)
# Every clip, with a tone: 352 x 192, blue left, yellow right; the portrait one (named outside the code page) turned.
CODECS = {"clip.mpg": "mpeg1video -c:a mp2 -f mpeg", "портрет 🎉.mp4": "libx264 -pix_fmt yuv420p -c:a aac",
          "clip.avi": "msvideo1 -c:a pcm_s16le"}
# Scaled, the picture is 1024 x 559 at 0, 105: blue, yellow, and the background (None) around it.
SCALED = [(100, 384, BLUE), (924, 384, YELLOW), (512, 40, None), (10, 760, None)]
# The portrait clip fitted whole (P2 2) is 419 x 768 at 303, 0 (Wine 8 draws it 116 wide there); no caption.
UPRIGHT = [(360, 200, BLUE), (360, 600, YELLOW), (100, 384, None), (924, 384, None), (600, 10, None)]
PLAYER = PROBE = None   # set by main(), or by the benchmarks that share this module
FOLDER = tempfile.TemporaryDirectory()   # the clips, until the end
WORK, STARTED = "Z:" + FOLDER.name.replace("/", "\\") + "\\", []


def wait_for(condition, what, player=None, timeout=30):
    """Polls the condition; a failure when the player ends or the time runs out before it holds."""
    deadline = time.monotonic() + timeout
    while not condition():
        assert player is None or player.poll() is None, f"the player ended before {what}"
        assert time.monotonic() < deadline, f"timed out waiting for {what}"
        time.sleep(0.1)


def shows(points, background):
    """True when every point of the screen shows its colour; the background exactly."""
    shot = subprocess.run("xwd -root -silent | convert xwd:- rgb:-", shell=True, capture_output=True).stdout
    return all(max((abs(a - b) for a, b in zip(shot[(y * 1024 + x) * 3:][:3], colour or background)), default=255)
               <= (40 if colour else 2) for x, y, colour in points)


def probe(desktop, *words):
    return subprocess.run(["wine", PROBE, *(["in", desktop] if desktop else []), *words], capture_output=True, timeout=60)


def start(clip, *words, desktop=None):
    """Kinoblick.exe on a clip of the work folder (in a virtual desktop of 800 x 600); its sent() MCI commands."""
    trace = os.path.join(FOLDER.name, f"trace{len(STARTED)}.txt")
    with open(trace, "wb") as log:   # the player's own handle stays open
        player = subprocess.Popen(["wine", *(["explorer", f"/desktop={desktop},800x600"] if desktop else []), PLAYER,
                                   WORK + clip, *words], stdout=subprocess.DEVNULL, stderr=log,
                                  env=dict(os.environ, LANG="C.UTF-8", WINEDEBUG="-all,trace+mci,warn+ntdll"))

    read = lambda: pathlib.Path(trace).read_text("utf-8", "replace")   # noqa: E731
    player.sent = lambda: re.findall(r'mciSendStringW \(L"([^"]*)', read())
    # Its display() states, repeats left out: 3 keeps the display on, 0 lets it go again.
    player.display = lambda: re.sub(r"(.)\1+", r"\1", "".join(re.findall(r"ExecutionState \(0x8000000(\d)", read())))
    STARTED.append(player)
    return player


def press(key, player, reaction):
    """Holds the key down until the reaction shows: the player polls it once a pass, however long a pass takes."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    try:
        wait_for(reaction, f"the reaction to {key}", player, 20)
    finally:
        subprocess.run(["xdotool", "keyup", key], check=True)


def scaled(clip, background, once):
    """Scaled, the picture fills the screen's width; the display is kept on until the end: by itself, or closed."""
    player = start(clip, "1", "0" if once else "1")
    wait_for(lambda: shows(SCALED, background), "the picture", player)
    assert once or probe(None, "close", "FENSTER").returncode == 0
    assert (code := player.wait(20)) == 0 and player.display() == "30", f"exit code {code}, display {player.display()}"


def elsewhere_on_a_new_screen(clip, background):
    """In a Wine virtual desktop of 800 x 600, a phone's portrait MP4 (the second open) fitted whole, another program in
    front. The screen grows to 1024 x 768: the picture follows it, upright. Escape ends the player and reaches the other."""
    desktop = f"kinoblick{os.getpid()}"
    player, other = start(clip, "2", "1", desktop=desktop), None
    try:
        wait_for(lambda: "STATUS VIDEO POSITION" in player.sent(), "the playback loop")
        other = subprocess.Popen(["timeout", "60", "wine", PROBE, "in", desktop, "front"], stdout=subprocess.PIPE)
        assert other.stdout.readline().split() == [b"front"], "the other program did not get the foreground"
        assert probe(desktop, "mode", "1024", "768").returncode == 0, "the screen size did not change"
        wait_for(lambda: shows(UPRIGHT, background), "the upright picture covering the new screen", player)
        press("Escape", None, lambda: "CLOSE VIDEO" in player.sent())
        assert other.wait(10) == 0 and player.display() == "30", player.display()
    finally:   # Wine keeps a virtual desktop's screen size for every desktop; the driver cannot end the player
        probe(desktop, "mode", "1024", "768")
        probe(desktop, "close", "FENSTER")
        other and other.terminate()
        player.wait(30)   # the desktop goes with its last window


CASES = [(f"{check.__name__} {clip}", check, clip, *rest) for check, clip, *rest in [
    (scaled, "clip.mpg", MPEG_BACKGROUND, True), (scaled, "clip.avi", BLACK, False),
    (elsewhere_on_a_new_screen, "портрет 🎉.mp4", MPEG_BACKGROUND)]]


def make_clips():
    for name, codec in CODECS.items():
        size, stack = ("192x176", "vstack") if name.endswith(".mp4") else ("176x192", "hstack")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-filter_complex",
                        f"color=0x2040E0:s={size}:r=25[a];color=0xE0C020:s={size}:r=25[b];[a][b]{stack}",
                        "-f", "lavfi", "-i", "sine=f=440", "-t", "3", "-c:v", *codec.split(),
                        os.path.join(FOLDER.name, name)], check=True)


def run(cases, check):
    """check(*case) for every case, its verdict printed (failed: an assertion, a time-out); the number failed."""
    failed = 0
    for case in cases:
        try:
            check(*case)
            print(f"ok     {case[0]}", flush=True)
        except (AssertionError, subprocess.TimeoutExpired) as failure:
            failed += 1
            print(f"FAILED {case[0]}: {failure}", flush=True)
        for player in STARTED:
            player.kill()   # nothing when it has ended
    print(f"{len(cases) - failed} passed, {failed} failed")
    return failed


def main():
    global PLAYER, PROBE
    PLAYER, PROBE = map(os.path.abspath, sys.argv[1:3])
    make_clips()
    # Where GStreamer never ran, its first opens fail while it builds its plug-in registry.
    wait_for(lambda: probe(None, "open", WORK + "clip.mpg").returncode == 0, "GStreamer", timeout=120)
    return run(CASES, lambda name, check, *words: check(*words))


if __name__ == "__main__":
    sys.exit(main())
