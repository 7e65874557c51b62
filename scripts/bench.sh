#!/usr/bin/env bash
# Sets up like test.sh, builds, and runs the benchmarks under Wine on a virtual screen with a
# window manager. They print figures; nothing here fails on a figure.
#
# One function per benchmark; add yours to the list at the end, in the order it should run.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

# The round trip of the synchronous requests (GuiSleep(0), CallFunctionRequest of a trivial
# function) against a raw cross-thread SendMessageA to a trivial window procedure.
bench_synchronous_requests() {
    echo "== Synchronous requests =="
    wine "$build_dir/bin/request_bench.exe"
}

# The services the player's loop calls (library call, MCI status), and the string functions on
# a text of 1 MB.
bench_services() {
    echo "== Services and string functions =="
    wine "$build_dir/bin/services_bench.exe"
}

# The player: Escape to process exit while a clip repeats (median; goal <= 150 ms); launch to
# the first video frame on the screen, beside a minimal program that sends only the MCI commands
# a picture needs; its CPU use while an MPEG clip is paused (goal <= 1 % of one core), beside a
# minimal program that makes the same system calls per pass; the size of Kinoblick.exe and its
# imports (goal <= 500 KB, system DLLs only).
player_bench() {
    python3 "$project_root/bench/player_bench.py" "$1" "$build_dir/bin"
}
bench_player_escape_to_exit() {
    echo "== Kinoblick: Escape to exit =="
    player_bench escape
}
bench_player_first_frame() {
    echo "== Kinoblick: launch to first frame =="
    player_bench first-frame
}
bench_player_paused_cpu() {
    echo "== Kinoblick: CPU while paused =="
    player_bench paused-cpu
}
bench_player_size() {
    echo "== Kinoblick: size =="
    player_bench size
}

# Launch to visible: a program on the runtime that creates its main window at once, against a
# minimal hand-written Win32 program (the floor); the ratio of the medians (goal <= 1.10).
bench_launch_to_visible() {
    echo "== Launch to visible =="
    wine "$build_dir/bin/launch_bench.exe"
}

install_packages
build_project
start_virtual_screen
start_window_manager   # as on a user's desktop; without one Wine adds 2 s to hiding a window
trap stop_all EXIT
start_wine
x11_managed_windows Y

benchmarks=(
    bench_synchronous_requests
    bench_services
    bench_player_escape_to_exit
    bench_player_first_frame
    bench_player_paused_cpu
    bench_player_size
    bench_launch_to_visible
)
for benchmark in "${benchmarks[@]}"; do
    "$benchmark"
    echo
done
