#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine, seen as a user sees it: the window through
window_probe.exe, the picture through screenshots of the X display, keys through xdotool, the exit
code from wine; the commands behind a pause, which no screen shows, from the mci trace.

    player_e2e.py path/to/Kinoblick.exe path/to/window_probe.exe [case ...]

Needs DISPLAY (1024x768x24), a WINEPREFIX set up by scripts/setup.sh, ffmpeg and xdotool.
"""
import os
import shutil
import subprocess
import sys
import threading
import time

BLUE, YELLOW, BLACK, MPEG_BACKGROUND = (32, 64, 224), (224, 192, 32), (0, 0, 0), (16, 0, 16)
SECONDS = 3
# Every clip: 352 x 192, the left half blue, the right half yellow, with a tone.
CODECS = {"clip.mpg": ["-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"],
          "clip.mp4": ["-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"],
          "mjpeg.avi": ["-c:v", "mjpeg", "-c:a", "pcm_s16le"],
          "clip.avi": ["-c:v", "msvideo1", "-c:a", "pcm_s16le"]}
# Scaled, the picture is 1024 x 559 at 0, 105; centred, 352 x 192 at 336, 288.
SCALED = [(100, 384, BLUE), (924, 384, YELLOW), (512, 40, None), (512, 730, None)]
CENTRED = [(420, 384, BLUE), (600, 384, YELLOW), (300, 384, BLACK), (512, 200, BLACK)]
MCI_TRACE_MARK = b'mciSendStringW (L"'


def shows(points, background):
    """True when every point of the screen shows its colour (None: the player's background)."""
    shot = subprocess.run("xwd -root -silent | convert xwd:- rgb:-", shell=True, capture_output=True).stdout
    return all(max((abs(a - b) for a, b in zip(shot[(y * 1024 + x) * 3:][:3], colour or background)), default=255)
               < 40 for x, y, colour in points)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_for(condition, timeout, what):
    """The condition's first true answer; a failure when none comes within timeout seconds."""
    deadline = time.monotonic() + timeout
    while not (answer := condition()):
        check(time.monotonic() < deadline, f"timed out waiting for {what}")
        time.sleep(0.1)
    return answer


def wait_for_picture(player, points, background):
    shown = wait_for(lambda: shows(points, background) or (not player.running() and "ended"), 30, "the picture")
    check(shown is True, "the player ended without showing the picture")


def wine_path(name):
    return "Z:" + os.path.join(WORK, name).replace("/", "\\")


def probe(*words):
    return subprocess.run(["wine", PROBE, *words], capture_output=True, timeout=60)


def main_window_right():
    """False while the player's window is not visible; a failure when it does not cover the
    screen, topmost, without a caption."""
    found = probe("find", "FENSTER")
    if found.returncode == 0:
        title, style, exstyle, rect = found.stdout.decode("latin-1").rstrip("\r\n").split("\t")
        style, exstyle = int(style, 16), int(exstyle, 16)
        check(title == "Kinoblick" and rect == "0 0 1024 768", f"title {title!r}, rectangle {rect}")
        check(style & 0x80000000 and not style & 0x00C00000 and exstyle & 0x8, f"styles {style:08X} {exstyle:08X}")
    return found.returncode == 0


class Player:
    """Kinoblick.exe started on a clip of the work folder; sent: the MCI commands it has sent so
    far, read from the emulator's mci trace."""

    def __init__(self, clip, *words):
        self.sent = []
        self.process = subprocess.Popen(["wine", PLAYER, wine_path(clip), *words], cwd=WORK, stderr=subprocess.PIPE,
                                        env=dict(os.environ, WINEDEBUG="-all,trace+mci"))
        def read_trace():
            for line in self.process.stderr:
                if MCI_TRACE_MARK in line:
                    self.sent.append(line.split(MCI_TRACE_MARK, 1)[1].split(b'"', 1)[0].decode("latin-1"))
        self.reader = threading.Thread(target=read_trace)
        self.reader.start()
        STARTED.append(self.process)

    def running(self):
        return self.process.poll() is None

    def exit_code(self):
        wait_for(lambda: not self.running(), 20, "the player's end")
        self.reader.join(5)
        return self.process.returncode

    def press(self, key, reaction, then_hold=0.0):
        """Holds the key down until the reaction shows (the player polls the key once a pass,
        however long a pass takes on a busy machine), then then_hold seconds longer."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kinoblick$"],
                               capture_output=True, text=True).stdout.split()
        if found:   # without a window manager nobody gives the window the keyboard focus
            subprocess.run(["xdotool", "windowfocus", found[0]], capture_output=True)
        subprocess.run(["xdotool", "keydown", key], check=True)
        try:
            wait_for(lambda: reaction() or not self.running(), 20, f"the reaction to {key}")
            check(reaction(), f"the player ended while {key} was held")
            time.sleep(then_hold)
        finally:
            subprocess.run(["xdotool", "keyup", key], check=True)


def make_clips():
    for name, codec in CODECS.items():
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-filter_complex",
                        "color=0x2040E0:s=176x192:r=25[a];color=0xE0C020:s=176x192:r=25[b];[a][b]hstack",
                        "-f", "lavfi", "-i", "sine=f=440", "-t", str(SECONDS), *codec, os.path.join(WORK, name)],
                       check=True)


def case_mpeg_window_pause():
    """An MPEG clip at its own size: the window, the background, and Space: paused, the clip
    outlives its length; a second Space resumes it and it ends by itself. Holding Space toggles once."""
    player = Player("clip.mpg")
    wait_for(lambda: "STATUS VIDEO POSITION" in player.sent or not player.running(), 30, "the playback loop")
    player.press("space", lambda: "PAUSE VIDEO" in player.sent, then_hold=1.5)   # past the auto-repeat
    paused_at = time.monotonic()
    wait_for(main_window_right, 20, "the main window")
    wait_for(lambda: shows([(10, 760, None)], MPEG_BACKGROUND), 20, "the background RGB(16, 0, 16)")
    time.sleep(max(0.0, paused_at + SECONDS + 1 - time.monotonic()))   # longer than the whole clip
    check(player.running(), "the paused clip ended")
    plays = player.sent.count("PLAY VIDEO")
    player.press("space", lambda: player.sent.count("PLAY VIDEO") > plays)
    check(player.exit_code() == 0, "exit code not 0 after resuming")
    check(player.sent.count("PAUSE VIDEO") == 1, f"{player.sent.count('PAUSE VIDEO')} pauses for one press")
    check(player.sent[-1] == "CLOSE VIDEO", f"last command {player.sent[-1]!r}")


def picture_case(clip, background):
    def case():
        """Scaled and played once: the picture fills the screen's width and the clip ends by itself."""
        player = Player(clip, "1", "0")
        wait_for_picture(player, SCALED, background)
        check(player.exit_code() == 0, "exit code not 0 after playing once")
    case.__name__ = "case_scaled_" + clip.replace(".", "_")
    return case


def case_avi_centred_repeat():
    """An AVI at its own size, repeated, in the middle of a black screen until Escape."""
    player = Player("clip.avi", "0", "1")
    wait_for_picture(player, CENTRED, BLACK)
    wait_for(lambda: player.sent.count("PLAY VIDEO") >= 2 or not player.running(), 20, "the clip's second play")
    check(player.running(), "the repeated clip ended")
    player.press("Escape", lambda: not player.running())
    check(player.exit_code() == 0, "exit code not 0 after Escape")


# The MP4 and the MJPEG AVI reach the MPEG device through the second try.
CASES = [case_mpeg_window_pause, picture_case("clip.mpg", MPEG_BACKGROUND), picture_case("clip.mp4", MPEG_BACKGROUND),
         picture_case("mjpeg.avi", MPEG_BACKGROUND), picture_case("clip.avi", BLACK), case_avi_centred_repeat]
PLAYER, PROBE = (os.path.abspath(path) for path in sys.argv[1:3]) if __name__ == "__main__" else (None, None)
WORK, STARTED = f"/tmp/kbe{os.getpid() % 100000}", []


def main():
    cases = [case for case in CASES if len(sys.argv) <= 3 or case.__name__ in sys.argv[3:]]
    failed = 0
    os.makedirs(WORK)
    try:
        make_clips()
        # Where GStreamer never ran, its first opens fail while it builds its plug-in registry.
        wait_for(lambda: probe("open", wine_path("clip.mpg")).returncode == 0, 120, "GStreamer")
        for case in cases:
            started = time.monotonic()
            try:
                case()
                print(f"ok     {case.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
            except (AssertionError, subprocess.TimeoutExpired) as failure:
                failed += 1
                print(f"FAILED {case.__name__}: {failure}", flush=True)
            finally:
                for process in STARTED:
                    process.kill()   # nothing when it has ended
                    process.wait()
                STARTED.clear()
    finally:
        shutil.rmtree(WORK)
    print(f"{len(cases) - failed} passed, {failed} failed")
    return failed


if __name__ == "__main__":
    sys.exit(main())
