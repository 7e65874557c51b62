#!/usr/bin/env python3
"""Kinoblick.exe end to end under Wine, observed from outside as a user sees it: message boxes
and windows through window_probe.exe, the picture through screenshots of the X display, keys
through xdotool, the exit code from wine. Where nothing on the screen shows what the player did
(an MPEG clip draws no picture under Xvfb), the MCI command strings it sends are read from the
emulator's mci trace on its standard error.

    player_e2e.py path/to/Kinoblick.exe path/to/window_probe.exe

Needs DISPLAY (a 1024x768x24 screen), WINEPREFIX, ffmpeg, xwd, convert and xdotool. Exit code:
failed count.
"""
import os
import shutil
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
USAGE_TEXT = (b"Kinoblick.exe P1 (P2) (P3)\r\rP1:\rPfad + Dateiname\r\rP2: (optional)\r"
              b"1 = auf Vollbild skalieren\r0 = 100% Gr\xf6\xdfe, zentrieren\r\rP3: (optional)\r"
              b"1 = Endloswiederholung\r0 = einmal abspielen\r")
CANNOT_PLAY = b"Datei konnte nicht abgespielt werden:\r\r"
WS_POPUP, WS_CAPTION, WS_EX_TOPMOST = 0x80000000, 0x00C00000, 0x8
MPEG_SECONDS = 5   # long enough to be still playing when the player starts watching it
MCI_TRACE_MARK = 'mciSendStringW (L"'


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(probe, timeout, what):
    """Polls probe() until it gives a true value; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = probe()
        if result:
            return result
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Harness:
    def __init__(self, player, probe, work):
        self.player, self.probe_exe, self.work = player, probe, work
        self.started = []

    def probe(self, *words):
        for _ in range(3):   # the emulator now and then stalls a process's start; try again
            try:
                completed = subprocess.run(["wine", self.probe_exe, *words], capture_output=True, timeout=8)
                return completed.stdout.decode("latin-1")
            except subprocess.TimeoutExpired:
                continue
        raise Failure("the window probe did not answer")

    def windows(self):
        rows = []
        for line in self.probe("list").splitlines():
            fields = line.rstrip("\r").split("\t")
            if len(fields) == 7:
                rows.append(dict(cls=fields[0], title=bytes.fromhex(fields[1]) if fields[1] != "-" else b"",
                                 style=int(fields[3], 16), exstyle=int(fields[4], 16),
                                 rect=tuple(int(v) for v in fields[5].split()),
                                 statics=[bytes.fromhex(t) for t in fields[6].split(",") if t != "-"]))
        return rows

    def window_of_class(self, cls):
        return next((w for w in self.windows() if w["cls"] == cls), None)

    def start(self, *words):
        process = subprocess.Popen(["wine", self.player, *words], cwd=self.work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(process)
        return process

    def start_traced(self, *words):
        """Starts the player with the emulator's mci trace on; the process gets a list
        mci_commands of the command strings it has sent so far, in order."""
        environment = dict(os.environ, WINEDEBUG="-all,trace+mci")
        process = subprocess.Popen(["wine", self.player, *words], cwd=self.work, env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        process.mci_commands = []

        def collect():
            for line in process.stderr:
                line = line.decode("latin-1")
                if MCI_TRACE_MARK in line:
                    process.mci_commands.append(line.split(MCI_TRACE_MARK, 1)[1].split('"', 1)[0])

        process.trace_reader = threading.Thread(target=collect, daemon=True)
        process.trace_reader.start()
        self.started.append(process)
        return process

    def end_leftovers(self):
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.started.clear()

    @staticmethod
    def finish(process, timeout=15):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            raise Failure("the player did not end")

    @staticmethod
    def screenshot():
        for _ in range(3):   # xwd fails now and then when a window goes away while it reads the screen
            ppm = subprocess.run("xwd -root -silent | convert xwd:- ppm:-", shell=True, capture_output=True).stdout
            if ppm.startswith(b"P6"):
                break
        else:
            raise Failure("no screenshot")
        fields, position = [], 0
        while len(fields) < 4:   # P6, width, height, maximum; comments run to the line's end
            line_end = ppm.index(b"\n", position)
            line = ppm[position:line_end].split(b"#")[0]
            fields += line.split()
            position = line_end + 1
        return int(fields[1]), ppm[position:]

    def pixel(self, shot, x, y):
        width, data = shot
        offset = (y * width + x) * 3
        return tuple(data[offset:offset + 3])

    def expect_box(self, process, caption, text):
        box = wait_for(lambda: self.window_of_class("#32770"), 20, f"the box {caption}")
        check(box["title"] == caption, f"box caption {box['title']!r}, expected {caption!r}")
        check(text in box["statics"], f"box texts {box['statics']!r}, expected {text!r}")
        check(self.window_of_class("FENSTER") is None or caption != b"Kinoblick Aufruf:",
              "a main window next to the usage box")
        self.probe("press", "1")
        check(self.finish(process) == 0, "exit code not 0")

    def expect_playing_window(self):
        window = wait_for(lambda: self.window_of_class("FENSTER"), 20, "the main window")
        check(window["title"] == b"Kinoblick", f"title {window['title']!r}")
        check(window["style"] & WS_POPUP and not window["style"] & WS_CAPTION, f"style {window['style']:08X}")
        check(window["exstyle"] & WS_EX_TOPMOST, f"extended style {window['exstyle']:08X}")
        check(window["rect"] == (0, 0, 1024, 768), f"rectangle {window['rect']}")
        return window

    def wait_for_picture(self, x, y):
        """Waits until the point shows the clip (not black)."""
        return wait_for(lambda: sum(self.pixel(self.screenshot(), x, y)) > 60, 20, f"the picture at {x},{y}")

    @staticmethod
    def focus_player():
        """Gives the player's window the X keyboard focus, so that keys reach it wherever the
        pointer is. Without a window manager nobody else does: the focus stays PointerRoot."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kinoblick$"],
                               capture_output=True, text=True).stdout.split()
        if not found:
            return
        subprocess.run(["xdotool", "windowfocus", found[0]], capture_output=True)
        wait_for(lambda: subprocess.run(["xdotool", "getwindowfocus"], capture_output=True,
                                        text=True).stdout.strip() == found[0], 5, "the X focus on the player")

    def press_key(self, key, hold=0.3):
        self.focus_player()
        subprocess.run(["xdotool", "keydown", key], check=True)
        time.sleep(hold)   # the key is read from the window's key-down message
        subprocess.run(["xdotool", "keyup", key], check=True)

    def hold_key_until(self, key, reaction, what, then_hold=0.0):
        """Holds the key down until the player shows the reaction (a key polled once a pass must
        stay down for a whole pass, however long a pass takes on a busy machine), and then_hold
        seconds longer."""
        self.focus_player()
        subprocess.run(["xdotool", "keydown", key], check=True)
        try:
            wait_for(reaction, 20, what)
            time.sleep(then_hold)
        finally:
            subprocess.run(["xdotool", "keyup", key], check=True)


def make_clips(work):
    make_clip = os.path.join(ROOT, "scripts", "make_clip.py")
    subprocess.run([sys.executable, make_clip, "--width", "320", "--height", "240", "--frames", "100",
                    os.path.join(work, "centred.avi")], check=True)
    subprocess.run([sys.executable, make_clip, "--width", "320", "--height", "180", "--frames", "75",
                    os.path.join(work, "scaled.avi")], check=True)
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25",
                    "-t", str(MPEG_SECONDS), "-c:v", "mpeg1video", "-f", "mpeg", os.path.join(work, "clip.mpg")],
                   check=True)
    with open(os.path.join(work, "random.avi"), "wb") as random_bytes:
        random_bytes.write(os.urandom(65536))


def case_usage(h):
    h.expect_box(h.start(), b"Kinoblick Aufruf:", USAGE_TEXT)


def case_missing_and_random(h):
    for name in ("fehlt.avi", "random.avi"):
        path = windows_path(os.path.join(h.work, name))
        h.expect_box(h.start(path), b"Kinoblick", CANNOT_PLAY + path.encode())


def case_avi_centred_repeat(h):
    process = h.start(windows_path(os.path.join(h.work, "centred.avi")), "0", "1")
    h.expect_playing_window()
    h.wait_for_picture(512, 470)                     # 320 x 240 at 352, 264
    shot = h.screenshot()
    for x, y in ((100, 100), (340, 400), (684, 400), (512, 520), (1000, 740)):
        check(h.pixel(shot, x, y) == (0, 0, 0), f"not black around the picture at {x},{y}")
    time.sleep(5)                                    # beyond the clip's 4 s
    check(process.poll() is None, "repeating clip ended by itself")
    h.press_key("Escape")
    check(h.finish(process) == 0, "exit code not 0 after Escape")


def case_avi_scaled_once(h):
    process = h.start(windows_path(os.path.join(h.work, "scaled.avi")), "1", "0")
    h.expect_playing_window()
    h.wait_for_picture(512, 600)                     # 1024 x 576 at 0, 96
    check(h.pixel(h.screenshot(), 512, 40) == (0, 0, 0), "not black above the picture")
    check(h.finish(process, 20) == 0, "exit code not 0 after playing once")


def case_mpeg_pause(h):
    """Space pauses: a clip played once outlives its length while paused; a second Space resumes
    and the clip then plays to its end. Holding Space toggles once."""
    process = h.start_traced(windows_path(os.path.join(h.work, "clip.mpg")))
    sent = process.mci_commands

    def sent_once_more(command, seen_before):
        if sent.count(command) > seen_before:
            return True
        check(process.poll() is None and "CLOSE VIDEO" not in sent,
              f"the clip ended while Space was held for {command}")
        return False

    # The device plays from the open on, and placing the picture takes the emulator seconds: the
    # key goes down as soon as the loop watches the clip.
    wait_for(lambda: "STATUS VIDEO POSITION" in sent or process.poll() is not None, 30, "the playback loop")
    check(process.poll() is None, "the player ended before its loop")
    plays = sent.count("PLAY VIDEO")
    # Held on past the keyboard's auto-repeat delay: the press still toggles only once.
    h.hold_key_until("space", lambda: sent_once_more("PAUSE VIDEO", 0), "PAUSE VIDEO after Space", then_hold=1.5)
    paused_at = time.monotonic()
    h.expect_playing_window()
    wait_for(lambda: h.pixel(h.screenshot(), 10, 760) == (16, 0, 16), 20, "the background RGB(16, 0, 16)")
    while time.monotonic() < paused_at + MPEG_SECONDS + 1:   # longer than the whole clip
        check(process.poll() is None, "paused clip ended")
        time.sleep(0.1)
    check(sent.count("PLAY VIDEO") == plays, "played again without a second Space")
    h.hold_key_until("space", lambda: sent_once_more("PLAY VIDEO", plays), "PLAY VIDEO after the second Space")
    check(h.finish(process, MPEG_SECONDS + 15) == 0, "exit code not 0 after resuming")
    process.trace_reader.join(5)
    check(sent.count("PAUSE VIDEO") == 1, f"{sent.count('PAUSE VIDEO')} pauses for one press")
    check(sent[-1] == "CLOSE VIDEO", f"last command {sent[-1]!r}")


def case_odd_names(h):
    """Each is played (then ended with Escape) or named in the cannot-play box; never a crash."""
    blanks = os.path.join(h.work, "mit Leer zeichen", "mein clip.avi")
    umlauts = os.path.join(h.work, "Größe ändern.avi")
    deep = os.path.join(h.work, *["verzeichnis%02d" % n for n in range(25)], "clip.avi")
    for path in (blanks, umlauts, deep):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copy(os.path.join(h.work, "scaled.avi"), path)
    for word in (windows_path(blanks), windows_path(umlauts), windows_path(deep), windows_path(h.work),
                 "x" * 32000 + ".avi"):
        process = h.start(word, "0", "1")
        seen = wait_for(lambda: h.window_of_class("#32770") or h.window_of_class("FENSTER")
                        or process.poll() is not None, 25, f"a window for {word[:60]}")
        check(seen is not True, f"ended without a window: {word[:60]}")
        if seen["cls"] == "#32770":
            text = seen["statics"][0] if seen["statics"] else b""
            check(text.startswith(CANNOT_PLAY) and len(text) > len(CANNOT_PLAY),
                  f"box {text[:80]!r} for {word[:60]}")
            h.probe("press", "1")
        else:
            time.sleep(1)
            h.press_key("Escape")
        check(h.finish(process) == 0, f"exit code not 0 for {word[:60]}")


def case_close_any_moment(h):
    for delay in (0.3, 1.0, 2.0, 3.5, 6.0):
        process = h.start(windows_path(os.path.join(h.work, "centred.avi")), "0", "1")
        time.sleep(delay)
        wait_for(lambda: h.window_of_class("FENSTER"), 20, "the main window")
        h.probe("close", "FENSTER")
        check(h.finish(process) == 0, f"exit code not 0 after closing at {delay} s")


CASES = [case_usage, case_missing_and_random, case_avi_centred_repeat, case_avi_scaled_once,
         case_mpeg_pause, case_odd_names, case_close_any_moment]


def main():
    player, probe = (os.path.abspath(path) for path in sys.argv[1:3])
    work = f"/tmp/kbe{os.getpid() % 100000}"
    os.makedirs(work)
    failed = 0
    try:
        make_clips(work)
        harness = Harness(player, probe, work)
        for case in CASES:
            if len(sys.argv) > 3 and case.__name__ not in sys.argv[3:]:
                continue
            started = time.monotonic()
            try:
                case(harness)
                print(f"ok     {case.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
            except Failure as failure:
                failed += 1
                print(f"FAILED {case.__name__}: {failure}", flush=True)
            finally:
                harness.end_leftovers()
    finally:
        shutil.rmtree(work)
    return failed


if __name__ == "__main__":
    sys.exit(main())
