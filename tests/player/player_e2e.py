#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine, seen as a user sees it: the window through window_probe.exe,
the picture in screenshots, keys from xdotool, the exit code; the commands behind a pause, which no
screen shows, from the mci trace.   player_e2e.py Kinoblick.exe window_probe.exe   (needs DISPLAY
1024x768x24, a WINEPREFIX set up by scripts/setup.sh, ffmpeg and xdotool)"""
import os
import re
import subprocess
import sys
import tempfile
import threading
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
    """False while the player's window is not visible; a failure when it is not a topmost popup
    window without a caption that covers the screen."""
    found = subprocess.run(["wine", PROBE, "find", "FENSTER"], capture_output=True, timeout=60)
    assert found.returncode or found.stdout.split() == b"Kinoblick topmost popup 0 0 1024 768".split(), found.stdout
    return found.returncode == 0


def start(clip, *words):
    """Kinoblick.exe on a clip of the work folder; its sent: the MCI commands it has sent so far."""
    player = subprocess.Popen(["wine", PLAYER, WORK + clip, *words], stderr=subprocess.PIPE,
                              env=dict(os.environ, WINEDEBUG="-all,trace+mci"))
    player.sent = []
    def read_trace():
        for line in player.stderr:
            player.sent += [command.decode("latin-1") for command in re.findall(rb'mciSendStringW \(L"([^"]*)', line)]
    threading.Thread(target=read_trace, daemon=True).start()
    STARTED.append(player)
    return player


def press(player, key, reaction, then_hold=0.0):
    """Holds the key down until the reaction shows (the player polls the key once a pass, however
    long a pass takes on a busy machine), then then_hold seconds longer."""
    subprocess.run(["xdotool", "keydown", key], check=True)
    try:
        wait_for(reaction, f"the reaction to {key}", player, 20)
        time.sleep(then_hold)
    finally:
        subprocess.run(["xdotool", "keyup", key], check=True)


def mpeg_paused_and_resumed(clip):
    """Scaled: Space held pauses it once; paused, the window, the picture on the background, and
    the clip outlives its length; a second Space resumes it and it ends by itself."""
    player = start(clip, "1")
    wait_for(lambda: "STATUS VIDEO POSITION" in player.sent, "the playback loop", player)
    press(player, "space", lambda: "PAUSE VIDEO" in player.sent, then_hold=1.5)   # past the auto-repeat
    paused_at = time.monotonic()
    wait_for(main_window_right, "the main window", player)
    wait_for(lambda: shows(SCALED, MPEG_BACKGROUND), "the picture", player)
    time.sleep(max(0.0, paused_at + SECONDS + 1 - time.monotonic()))   # longer than the whole clip
    assert player.poll() is None, "the paused clip ended"
    plays = player.sent.count("PLAY VIDEO")
    press(player, "space", lambda: player.sent.count("PLAY VIDEO") > plays)
    assert player.sent.count("PAUSE VIDEO") == 1, f"{player.sent.count('PAUSE VIDEO')} pauses for one press"
    assert (code := player.wait(20)) == 0, f"exit code {code}"


def scaled_once(clip, background):
    """Scaled and played once: the picture fills the screen's width and the clip ends by itself."""
    player = start(clip, "1", "0")
    wait_for(lambda: shows(SCALED, background), "the picture", player)
    assert (code := player.wait(20)) == 0, f"exit code {code}"


# The MP4 and the MJPEG AVI reach the MPEG device through the second try.
CASES = [("clip.mpg", mpeg_paused_and_resumed), ("clip.mp4", scaled_once, MPEG_BACKGROUND),
         ("mjpeg.avi", scaled_once, MPEG_BACKGROUND), ("clip.avi", scaled_once, BLACK)]


def make_clips():
    for name, codec in CODECS.items():
        subprocess.run(["ffmpeg", "-loglevel", "error", "-filter_complex",
                        "color=0x2040E0:s=176x192:r=25[a];color=0xE0C020:s=176x192:r=25[b];[a][b]hstack",
                        "-f", "lavfi", "-i", "sine=f=440", "-t", str(SECONDS), "-c:v", *codec.split(),
                        os.path.join(FOLDER.name, name)], check=True)


def main():
    global PLAYER, PROBE
    PLAYER, PROBE = map(os.path.abspath, sys.argv[1:3])
    make_clips()
    # Where GStreamer never ran, its first opens fail while it builds its plug-in registry.
    wait_for(lambda: subprocess.run(["wine", PROBE, "open", WORK + "clip.mpg"], capture_output=True).returncode == 0,
             "GStreamer", timeout=120)
    failed = 0
    for clip, case, *words in CASES:
        started = time.monotonic()
        try:
            case(clip, *words)
            print(f"ok     {case.__name__} {clip} ({time.monotonic() - started:.1f} s)", flush=True)
        except (AssertionError, subprocess.TimeoutExpired) as failure:
            failed += 1
            print(f"FAILED {case.__name__} {clip}: {failure}", flush=True)
        for player in STARTED:
            player.kill()   # nothing when it has ended
    print(f"{len(CASES) - failed} passed, {failed} failed")
    return failed


if __name__ == "__main__":
    sys.exit(main())
