#!/usr/bin/env bash
# Long drives of a program on the runtime under Wine, printing figures (they are no tests, and take
# minutes): closes at random instants, move and size loops, and 100,000 mixed requests while
# another program floods the window with input. Exits non-zero when a run went wrong.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

install_packages
build_project --target soak_driver busy_program
start_virtual_screen
trap stop_all EXIT
start_wine

failures=0
runs=("$@")
[ ${#runs[@]} -gt 0 ] || runs=(closes moves requests)
for run in "${runs[@]}"; do
    echo "== $run"
    wine "$build_dir/bin/soak_driver.exe" "$run" || failures=$((failures + 1))
done
exit "$failures"
