#!/usr/bin/env bash
# Runs every fuzz target long, one after the other, from its seed corpus (fuzz/corpus) and what
# earlier runs added (build-host/corpus), and prints per target the executions, the corpus size
# and the findings, whose inputs are kept in build-host/findings. Exits non-zero on a finding.
#   scripts/fuzz.sh                      # 10 minutes per target
#   scripts/fuzz.sh -runs=1000000        # or any libFuzzer options instead
set -euo pipefail
source "$(dirname "$0")/setup.sh"

install_packages
build_host
options=("$@")
[ ${#options[@]} -eq 0 ] && options=(-max_total_time=600)
findings_dir="$host_build_dir/findings"   # this run's
rm -rf "$findings_dir"
mkdir -p "$findings_dir"

status=0
printf '%-26s %14s %8s %9s\n' target executions corpus findings
for fuzzer in "$host_build_dir"/*_fuzz; do
    target=$(basename "$fuzzer")
    log="$host_build_dir/$target.log"
    mkdir -p "$host_build_dir/corpus/$target"
    "$fuzzer" "${options[@]}" -print_final_stats=1 -artifact_prefix="$findings_dir/$target-" \
        "$host_build_dir/corpus/$target" "$project_root/fuzz/corpus/$target" >"$log" 2>&1 || true
    executions=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
    [ -n "$executions" ] || executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
    found=$(find "$findings_dir" -name "$target-*" | wc -l)
    printf '%-26s %14s %8s %9s\n' "$target" "${executions:-?}" \
        "$(find "$host_build_dir/corpus/$target" -type f | wc -l)" "$found"
    if [ "$found" -ne 0 ]; then
        grep -m1 -E 'invariant broken|ERROR: [A-Za-z]+Sanitizer|runtime error' "$log" || true
        status=1
    fi
done
exit $status
