#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine as a user sees it: the window (window_probe.exe), the picture
(screenshots), keys (xdotool), the exit code; from the mci trace the pause that no screen shows.
    player_e2e.py Kinoblick.exe window_probe.exe   (DISPLAY 1024x768x24, WINEPREFIX, ffmpeg, xdotool)"""
import os
import re
import subprocess
import sys
import tempfile
import time

BLUE, YELLOW, BLACK, MPEG_BACKGROUND = (32, 64, 224), (224, 192, 32), (0, 0, 0), (16, 0, 16)
SECONDS = 3
# Every clip: 352 x 192, the left half blue, the right half yellow, with a tone.
CODECS = {"clip.mpg": "mpeg1video -c:a mp2 -f mpeg", "clip.mp4": "libx264 -pix_fmt yuv420p -c:a aac",
          "mjpeg.avi": "mjpeg -c:a pcm_s16le", "clip.avi": "msvideo1 -c:a pcm_s16le"}
# Scaled, the picture is 1024 x 559 at 0, 105: blue, yellow, and the background (None) around it.
SCALED = [(100, 384, BLUE), (924, 384, YELLOW), (512, 40, None), (10, 760, None)]
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


def main_window_right():
    """False while the player's window is not visible; fails unless a topmost captionless popup covers the screen."""
    found = subprocess.run(["wine", PROBE, "find", "FENSTER"], capture_output=True, timeout=60)
    assert found.returncode or found.stdout.split() == b"Kinoblick topmost popup 0 0 1024 768".split(), found.stdout
    return found.returncode == 0


def start(clip, *words):
    """Kinoblick.exe on a clip of the work folder; its sent(): the MCI commands it has sent so far."""
    trace = os.path.join(FOLDER.name, f"mci{len(STARTED)}.txt")
    with open(trace, "wb") as log:   # the player's own handle stays open
        player = subprocess.Popen(["wine", PLAYER, WORK + clip, *words], stderr=log,
                                  env=dict(os.environ, WINEDEBUG="-all,trace+mci"))

    def sent():
        with open(trace, encoding="latin-1") as log:
            return re.findall(r'mciSendStringW \(L"([^"]*)', log.read())
    player.sent = sent
    STARTED.append(player)
    return player


def press_space(player, reaction):
    """Holds Space down until the reaction shows: the player polls it once a pass, however long a pass takes."""
    subprocess.run(["xdotool", "keydown", "space"], check=True)
    try:
        wait_for(reaction, "the reaction to Space", player, 20)
    finally:
        subprocess.run(["xdotool", "keyup", "space"], check=True)


def scaled_once(clip, background, pause=False):
    """Scaled and played once: the picture fills the screen's width and the clip ends by itself.
    pause: Space pauses it; paused, the window is right, the picture shows and the clip outlives its
    length; a second Space resumes it."""
    player = start(clip, "1", "0")
    if pause:
        wait_for(lambda: "STATUS VIDEO POSITION" in player.sent(), "the playback loop", player)
        press_space(player, lambda: "PAUSE VIDEO" in player.sent())
        wait_for(main_window_right, "the main window", player)
    wait_for(lambda: shows(SCALED, background), "the picture", player)
    if pause:
        time.sleep(SECONDS + 1)   # longer than the whole clip
        assert player.poll() is None, "the paused clip ended"
        press_space(player, lambda: player.sent().count("PLAY VIDEO") > 1)
    assert (code := player.wait(20)) == 0, f"exit code {code}"


# The MP4 and the MJPEG AVI reach the MPEG device through the second try.
CASES = [("clip.mpg", MPEG_BACKGROUND, True), ("clip.mp4", MPEG_BACKGROUND), ("mjpeg.avi", MPEG_BACKGROUND),
         ("clip.avi", BLACK)]


def make_clips():
    for name, codec in CODECS.items():
        subprocess.run(["ffmpeg", "-loglevel", "error", "-filter_complex",
                        "color=0x2040E0:s=176x192:r=25[a];color=0xE0C020:s=176x192:r=25[b];[a][b]hstack",
                        "-f", "lavfi", "-i", "sine=f=440", "-t", str(SECONDS), "-c:v", *codec.split(),
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
    wait_for(lambda: subprocess.run(["wine", PROBE, "open", WORK + "clip.mpg"], capture_output=True).returncode == 0,
             "GStreamer", timeout=120)
    return run(CASES, scaled_once)


if __name__ == "__main__":
    sys.exit(main())
