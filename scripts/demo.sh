#!/usr/bin/env bash
# Sets everything up, builds, and plays a generated sample clip with the real player: on the
# user's display when DISPLAY reaches one, otherwise on a virtual 1024x768x24 screen. A
# screenshot taken while it plays goes to build/demo.png; the clip plays once and the player ends.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

install_packages
build_project
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    start_virtual_screen
fi
trap stop_all EXIT
start_wine

clip="$build_dir/demo.avi"
python3 "$project_root/scripts/make_clip.py" --width 320 --height 240 --frames 200 --fps 25 "$clip"
echo "Playing $clip on $DISPLAY (Escape ends it early)"
wine "$build_dir/bin/Kinoblick.exe" "Z:${clip//\//\\}" 0 0 &
player=$!
sleep 5   # the device shows its first frames after about 2.5 s on a fresh prefix
xwd -root -silent | convert xwd:- "$build_dir/demo.png"
echo "Screenshot: $build_dir/demo.png"
wait "$player"
echo "Kinoblick ended with exit code $?"
