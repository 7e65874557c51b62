#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds, runs the host build's tests, and runs
# every test under Wine on a virtual 1024x768x24 screen. Exits non-zero when a test fails.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

install_packages
build_host   # the values layer's tests under the sanitizers, and each fuzz target for a few seconds
(cd "$host_build_dir" && ctest --output-on-failure -j 2)
build_project
start_virtual_screen
trap stop_all EXIT
start_wine
x11_managed_windows N
mount_full_disk
prepare_user_cases

cd "$build_dir"
ctest --output-on-failure -j 2 "$@"
