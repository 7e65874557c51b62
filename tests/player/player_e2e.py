#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine as a user sees it: the window and the picture (screenshots), keys
(xdotool), another program and a change of the screen (window_probe.exe), the exit code; from Wine's trace
the pause that no screen shows and the display kept on while the medium plays.
    player_e2e.py Kinoblick.exe window_probe.exe   (DISPLAY 1024x768x24, WINEPREFIX, ffmpeg, xdotool)"""
import os
import re
import subprocess
import sys
import tempfile
import time

BLUE, YELLOW, BLACK, MPEG_BACKGROUND = (32, 64, 224), (224, 192, 32), (0, 0, 0), (16, 0, 16)
SECONDS = 3
# Every clip: the left half blue, the right half yellow (352 x 192; the portrait clip 192 x 352, blue
# above yellow), with a tone.
CODECS = {"clip.mpg": "mpeg1video -c:a mp2 -f mpeg", "portrait.mp4": "libx264 -pix_fmt yuv420p -c:a aac",
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
    """Kinoblick.exe on a clip of the work folder (in a Wine virtual desktop of 800 x 600); its trace() so far."""
    trace = os.path.join(FOLDER.name, f"trace{len(STARTED)}.txt")
    with open(trace, "wb") as log:   # the player's own handle stays open
        player = subprocess.Popen(["wine", *(["explorer", f"/desktop={desktop},800x600"] if desktop else []), PLAYER,
                                   WORK + clip, *words], stdout=subprocess.DEVNULL, stderr=log,
                                  env=dict(os.environ, LANG="C.UTF-8", WINEDEBUG="-all,trace+mci,warn+ntdll"))

    def read():
        with open(trace, encoding="utf-8", errors="replace") as log:
            return log.read()
    player.sent = lambda: re.findall(r'mciSendStringW \(L"([^"]*)', read())
    # Its execution states, repeats left out: 3 keeps the display on, 0 lets it go again.
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


def scaled(clip, background, pause):
    """Scaled: the picture fills the screen's width; the display is kept on while it plays. pause: played once,
    Space pauses it and lets the display go; paused, the picture shows and the clip outlives its length; a second
    Space resumes it and it ends by itself. Else it repeats until its window is closed."""
    player = start(clip, "1", "0" if pause else "1")
    if pause:
        wait_for(lambda: "STATUS VIDEO POSITION" in player.sent(), "the playback loop", player)
        press("space", player, lambda: "PAUSE VIDEO" in player.sent())
    wait_for(lambda: shows(SCALED, background), "the picture", player)
    if pause:
        time.sleep(SECONDS + 1)   # longer than the whole clip
        assert player.poll() is None, "the paused clip ended"
        press("space", player, lambda: player.sent().count("PLAY VIDEO") > 1)
    else:
        assert probe(None, "close", "FENSTER").returncode == 0
    assert (code := player.wait(20)) == 0, f"exit code {code}"
    assert player.display() == ("3030" if pause else "30"), player.display()


def elsewhere_on_a_new_screen(clip, background):
    """In a Wine virtual desktop of 800 x 600 a phone's portrait MP4 (opened on the second try) fitted whole; another
    program takes the foreground. The screen grows to 1024 x 768: the window covers it, the picture follows, upright.
    Escape ends the player, and reaches the other program as well."""
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
    finally:   # the player is the desktop's child: the driver cannot end it
        probe(desktop, "close", "FENSTER")
        other and other.terminate()
        player.wait(30)   # the desktop goes with its last window


CASES = [(f"{check.__name__} {clip}", check, clip, *rest) for check, clip, *rest in [
    (scaled, "clip.mpg", MPEG_BACKGROUND, True), (scaled, "клип 🎉.avi", BLACK, False),
    (elsewhere_on_a_new_screen, "portrait.mp4", MPEG_BACKGROUND)]]


def make_clips():
    for name, codec in CODECS.items():
        size, stack = ("192x176", "vstack") if name.startswith("portrait") else ("176x192", "hstack")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-filter_complex",
                        f"color=0x2040E0:s={size}:r=25[a];color=0xE0C020:s={size}:r=25[b];[a][b]{stack}",
                        "-f", "lavfi", "-i", "sine=f=440", "-t", str(SECONDS), "-c:v", *codec.split(),
                        os.path.join(FOLDER.name, name)], check=True)
    os.link(os.path.join(FOLDER.name, "clip.avi"), os.path.join(FOLDER.name, "клип 🎉.avi"))   # outside the code page


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
    wait_for(lambda: subprocess.run(["wine", PROBE, "open", WORK + "clip.mpg"], capture_output=True).returncode == 0,
             "GStreamer", timeout=120)
    return run(CASES, lambda name, check, *words: check(*words))


if __name__ == "__main__":
    sys.exit(main())
