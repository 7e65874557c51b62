#!/usr/bin/env bash
# Sets up like test.sh, builds, and runs the benchmarks under Wine on a virtual screen. They
# print figures; nothing here fails on a figure.
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

install_packages
build_project
start_virtual_screen
trap stop_all EXIT
start_wine

benchmarks=(
    bench_synchronous_requests
)
for benchmark in "${benchmarks[@]}"; do
    "$benchmark"
    echo
done
