#!/usr/bin/env bash
# Sets everything up, builds, and plays a generated sample clip with the real player: on the
# user's display when DISPLAY reaches one, otherwise on a virtual 1024x768x24 screen. A
# screenshot taken while it plays goes to build/demo.png; the clip plays once and the player ends.
#
#   scripts/demo.sh           an uncompressed AVI clip at its own size, centred
#   scripts/demo.sh --mpeg    an MPEG-1 clip with sound, scaled to the screen (under Wine an MPEG
#                             picture shows only scaled: see the README)
set -euo pipefail
source "$(dirname "$0")/setup.sh"

install_packages
build_project
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    start_virtual_screen
    start_window_manager
fi
trap stop_all EXIT
start_wine
x11_managed_windows Y

if [ "${1:-}" = "--mpeg" ]; then
    clip="$build_dir/demo.mpg"
    ffmpeg -loglevel error -y -f lavfi -i testsrc=size=352x288:rate=25 -f lavfi -i sine=f=440 -t 8 \
           -c:v mpeg1video -c:a mp2 -f mpeg "$clip"
    words=(1 0)
    # Where GStreamer never ran, its first opens fail while it builds its plug-in registry.
    for _ in $(seq 30); do
        wine "$build_dir/bin/window_probe.exe" open "Z:${clip//\//\\}" >/dev/null 2>&1 && break
        sleep 1
    done
else
    clip="$build_dir/demo.avi"
    python3 "$project_root/scripts/make_clip.py" --width 320 --height 240 --frames 200 --fps 25 "$clip"
    words=(0 0)
fi
echo "Playing $clip on $DISPLAY (Escape ends it early)"
wine "$build_dir/bin/Kinoblick.exe" "Z:${clip//\//\\}" "${words[@]}" &
player=$!
sleep 5   # the device shows its first frames within about 3 s on a fresh prefix
xwd -root -silent | convert xwd:- "$build_dir/demo.png"
echo "Screenshot: $build_dir/demo.png"
code=0
wait "$player" || code=$?
echo "Kinoblick ended with exit code $code"
