#!/usr/bin/env python3
"""Figures of Kinoblick.exe under Wine; prints them, judges nothing.

    player_bench.py escape|paused-cpu|size path/to/Kinoblick.exe path/to/window_probe.exe

escape:     Escape to process exit while a clip repeats (median of 7 runs; goal <= 150 ms)
paused-cpu: the player's CPU use over 10 s while an MPEG clip is paused (goal <= 1 % of one core)
size:       the executable's size and the DLLs it imports (goal <= 500 KB, system DLLs only)
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "player"))
from player_e2e import Harness, make_clips, wait_for, windows_path  # noqa: E402


def started_player(harness, *words):
    process = harness.start(*words)
    wait_for(lambda: harness.window_of_class("FENSTER"), 30, "the main window")
    time.sleep(3)   # past the device's start
    return process


def escape(harness):
    times = []
    for _ in range(7):
        process = started_player(harness, windows_path(os.path.join(harness.work, "centred.avi")), "0", "1")
        pressed = time.monotonic()
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        process.wait(timeout=30)
        times.append((time.monotonic() - pressed) * 1000)
    print("Escape to exit, ms: median %.0f (runs: %s)" % (statistics.median(times),
                                                         " ".join("%.0f" % t for t in times)))


def process_ticks(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])   # utime + stime


def paused_cpu(harness):
    clip = os.path.join(harness.work, "long.mpg")
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25",
                    "-t", "30", "-c:v", "mpeg1video", "-f", "mpeg", clip], check=True)
    process = started_player(harness, windows_path(clip), "0", "0")
    harness.press_key("space")
    time.sleep(1)
    before, started = process_ticks(process.pid), time.monotonic()
    time.sleep(10)
    used = (process_ticks(process.pid) - before) / os.sysconf("SC_CLK_TCK")
    elapsed = time.monotonic() - started
    print("CPU while paused: %.2f %% of one core over %.1f s" % (100 * used / elapsed, elapsed))
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    process.wait(timeout=30)


def size(player):
    dlls = subprocess.run(["i686-w64-mingw32-objdump", "-p", player], capture_output=True, text=True).stdout
    names = sorted(line.split(":", 1)[1].strip() for line in dlls.splitlines() if "DLL Name" in line)
    print("Kinoblick.exe: %.0f KB; imports %s" % (os.path.getsize(player) / 1024, ", ".join(names)))


def main():
    which, player, probe = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    if which == "size":
        size(player)
        return 0
    work = f"/tmp/kbb{os.getpid() % 100000}"
    os.makedirs(work)
    harness = Harness(player, probe, work)
    try:
        make_clips(work)
        {"escape": escape, "paused-cpu": paused_cpu}[which](harness)
    finally:
        harness.end_leftovers()
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
