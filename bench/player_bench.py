#!/usr/bin/env python3
"""Figures of Kinoblick.exe under Wine, beside those of a minimal program where one fits; prints
them, judges nothing.

    player_bench.py escape|first-frame|paused-cpu|size path/to/bin

escape:      Escape to process exit while a clip repeats (median of 7 runs; goal <= 150 ms)
first-frame: launch to the first frame of an AVI clip on the screen, read from the X display,
             for the player and for mci_floor.exe, which sends only the MCI commands a picture
             needs (medians of 7 interleaved rounds)
paused-cpu:  CPU use over 10 s while an MPEG clip is paused, for the player and for mci_floor.exe,
             which makes the same system calls per 20 ms pass (goal <= 1 % of one core)
size:        the executable's size and the DLLs it imports (goal <= 500 KB, system DLLs only)

Needs what the end-to-end tests need (DISPLAY, WINEPREFIX, ffmpeg, xdotool).
"""
import ctypes
import os
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True   # no cache files in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "player"))
import player_e2e as e2e  # noqa: E402

# The clips' 352 x 192 picture scaled to the 1024 x 768 screen, as the player places it.
SCALED_DESTINATION = ["0", "105", "1024", "559"]

# Points of the screen read straight from the X display: a few milliseconds, where a whole
# screenshot takes a tenth of a second.
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = x11.XGetImage.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = x11.XGetPixel.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = x11.XDestroyImage.argtypes = [ctypes.c_void_p]
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
display = x11.XOpenDisplay(None)


def pixel(x, y):
    image = x11.XGetImage(display, x11.XDefaultRootWindow(display), x, y, 1, 1, 0xFFFFFFFF, 2)
    value = x11.XGetPixel(image, 0, 0)
    x11.XDestroyImage(image)
    return value >> 16 & 255, value >> 8 & 255, value & 255


def shows_picture():
    """True when the screen shows the clips' picture scaled, on black."""
    return all(max(abs(a - b) for a, b in zip(pixel(x, y), colour or e2e.BLACK)) < 40 for x, y, colour in e2e.SCALED)


def start(program, *words, overrides=""):
    environment = dict(os.environ, WINEDLLOVERRIDES=os.environ.get("WINEDLLOVERRIDES", "") + overrides)
    process = subprocess.Popen(["wine", program, *words], cwd=e2e.FOLDER.name, env=environment,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    e2e.STARTED.append(process)
    return process


def end(process):
    process.kill()
    process.wait()
    e2e.wait_for(lambda: not shows_picture(), "the picture to go", timeout=20)


def print_figures(what, player, floor):
    print(f"{what}: player {player:.2f}, floor {floor:.2f}, ratio {player / floor if floor else float('nan'):.2f}")


def escape(bin_folder):
    times = []
    for _ in range(7):
        process = start(e2e.PLAYER, e2e.WORK + "clip.avi", "1", "1")
        e2e.wait_for(shows_picture, "the picture")
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        pressed = time.monotonic()
        process.wait(timeout=30)
        times.append((time.monotonic() - pressed) * 1000)
    print("Escape to exit, ms: median %.0f (runs: %s)" % (statistics.median(times), " ".join("%.0f" % t for t in times)))


def first_frame(bin_folder):
    programs = {"player": [e2e.PLAYER, e2e.WORK + "clip.avi", "1", "0"],
                "floor": [os.path.join(bin_folder, "mci_floor.exe"), "AVIVIDEO", e2e.WORK + "clip.avi",
                          *SCALED_DESTINATION]}
    times = {name: [] for name in programs}
    for _ in range(8):   # the first round warms the emulator's caches for both and is not counted
        for name, words in programs.items():
            started = time.monotonic()
            process = start(*words)
            while not shows_picture() and time.monotonic() - started < 30:
                time.sleep(0.002)
            times[name].append((time.monotonic() - started) * 1000)
            end(process)
    print_figures("launch to first frame, ms, median of 7", statistics.median(times["player"][1:]),
                  statistics.median(times["floor"][1:]))


def screen_still():
    """True when two screenshots half a second apart are the same: the picture stands still."""
    first = subprocess.run(["xwd", "-root", "-silent"], capture_output=True).stdout
    time.sleep(0.5)
    return first == subprocess.run(["xwd", "-root", "-silent"], capture_output=True).stdout


def cpu_while_paused(program, *words, pause=lambda: None):
    """Percent of one core over 10 s once the program's picture, moving at first, stands still.
    Both programs draw with GDI (no d3d9), so that a still picture shows the pause."""
    process = start(program, *words, overrides=";d3d9=")
    e2e.wait_for(lambda: not screen_still(), "the moving picture")
    pause()
    e2e.wait_for(screen_still, "the pause")
    ticks = lambda: sum(map(int, open(f"/proc/{process.pid}/stat").read().rsplit(")", 1)[1].split()[11:13]))
    before, started = ticks(), time.monotonic()
    time.sleep(10)
    used = (ticks() - before) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - started)
    process.kill()
    process.wait()
    return 100 * used


def press_space_until_still():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kinoblick$"],
                           capture_output=True, text=True).stdout.split()
    subprocess.run(["xdotool", "windowfocus", found[0]], capture_output=True)
    subprocess.run(["xdotool", "keydown", "space"], check=True)
    try:
        e2e.wait_for(screen_still, "the pause", timeout=20)
    finally:
        subprocess.run(["xdotool", "keyup", "space"], check=True)


def paused_cpu(bin_folder):
    clip = os.path.join(e2e.FOLDER.name, "long.mpg")
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25",
                    "-t", "60", "-c:v", "mpeg1video", "-f", "mpeg", clip], check=True)
    player = cpu_while_paused(e2e.PLAYER, e2e.WORK + "long.mpg", "1", "0", pause=press_space_until_still)
    floor = cpu_while_paused(os.path.join(bin_folder, "mci_floor.exe"), "MPEGVIDEO", e2e.WORK + "long.mpg",
                             "0", "-35", "1024", "838", "paused")
    print_figures("CPU while paused, % of one core over 10 s", player, floor)


def size(bin_folder):
    player = os.path.join(bin_folder, "Kinoblick.exe")
    dlls = subprocess.run(["i686-w64-mingw32-objdump", "-p", player], capture_output=True, text=True).stdout
    names = sorted(line.split(":", 1)[1].strip() for line in dlls.splitlines() if "DLL Name" in line)
    print("Kinoblick.exe: %.0f KB; imports %s" % (os.path.getsize(player) / 1024, ", ".join(names)))


def main():
    which, bin_folder = sys.argv[1], os.path.abspath(sys.argv[2])
    if which == "size":
        size(bin_folder)
        return 0
    e2e.PLAYER = os.path.join(bin_folder, "Kinoblick.exe")
    try:
        e2e.make_clips()
        {"escape": escape, "first-frame": first_frame, "paused-cpu": paused_cpu}[which](bin_folder)
    finally:
        for process in e2e.STARTED:
            if process.poll() is None:
                process.kill()
                process.wait()
        e2e.FOLDER.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
