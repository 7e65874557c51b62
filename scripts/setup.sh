#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as root), and provides the
# functions that start the virtual screen and the Wine prefix. Sourced by the other scripts.
# Installing is idempotent and quick when everything is already there.
set -euo pipefail

project_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="${BUILD_DIR:-$project_root/build}"   # a developer may keep several
host_build_dir="${HOST_BUILD_DIR:-$project_root/build-host}"

packages=(g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth x11-utils x11-apps imagemagick
          googletest cmake make python3 ffmpeg xdotool openbox
          gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
          gstreamer1.0-plugins-bad:i386 gstreamer1.0-libav:i386
          clang libclang-rt-14-dev llvm)   # the host build: sanitizer and fuzzer runtimes, symbols

install_packages() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages need root: run this script as root, or install them: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${packages[@]}"
}

build_project() {
    cmake -S "$project_root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$project_root/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" "$@"
}

# The platform-free code built natively under the sanitizers, with its fuzz targets.
build_host() {
    cmake -S "$project_root/host" -B "$host_build_dir" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$host_build_dir" -j "$(nproc)" "$@"
}

# One virtual X screen (1024x768x24) for the run, on the first display number that is free. Our
# own server must be the one that answers: a server that could not take the number exits at once,
# and another run's screen must never be shared (their windows would lie over ours).
start_virtual_screen() {
    local number
    for number in $(seq 91 150); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$number"
        for _ in $(seq 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    echo "no free X display number" >&2
    exit 1
}

# A window manager on the run's own screen, after start_virtual_screen. Without one, Wine waits
# about 2 s whenever a window that it manages is hidden or destroyed.
start_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    window_manager_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    echo "the window manager did not start on $DISPLAY" >&2
    exit 1
}

# One Wine prefix for the run, made once and kept in build/. Its server is started first and
# stays up meanwhile (a server that is still up from an earlier command serves as well).
start_wine() {
    export WINEDEBUG=-all
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        # No crash dialog: a crashing test must end, not wait for a click.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    fi
    # MPEG pictures: Wine's default video renderer draws through d3d9 and shows nothing in the
    # player's window; without d3d9 (for Kinoblick.exe alone) it falls back to drawing with GDI.
    grep -q 'AppDefaults\\\\Kinoblick.exe\\\\DllOverrides' "$WINEPREFIX/user.reg" 2>/dev/null ||
        wine reg add 'HKCU\Software\Wine\AppDefaults\Kinoblick.exe\DllOverrides' /v d3d9 /d "" /f >/dev/null 2>&1
    keep_wine_session
}

# Wine starts its system processes (services, the desktop, the device drivers) with the first
# program of a session, handing them that program's output, and ends them some 20 s after the
# last program: a test run by ctest, which waits for its output to close, would last 20 s longer
# each time it started the session again. A program that waits for input that never comes keeps
# the session, and the system processes it starts write nowhere.
keep_wine_session() {
    local never="$build_dir/wine_session_input"
    [ -p "$never" ] || mkfifo "$never"
    wine cmd /k <>"$never" >/dev/null 2>&1 &
    wine cmd /c exit >/dev/null 2>&1 || true   # the session is up
}

# Whether an X window manager gets Wine's windows ("Y", Wine's default) or Wine places and moves
# them itself as Windows does ("N", for the tests): then it never waits for a window manager
# (about 2 s whenever it hides a window on a screen without one), and its own move and size loops
# run, which a window manager would take over.
x11_managed_windows() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f >/dev/null 2>&1
}

# A disk of 64 KiB (a tmpfs under the build folder, mounted as root) for the tests of saving
# onto a full disk; they find it through Wine's drive Z: in KINOBLICK_FULL_DISK, and fail when
# that names nothing.
mount_full_disk() {
    full_disk="$build_dir/full_disk"
    mkdir -p "$full_disk"
    if ! mountpoint -q "$full_disk" && ! mount -t tmpfs -o size=64k,mode=1777 tmpfs "$full_disk"; then
        echo "could not mount the small disk for the full-disk tests (they will fail)" >&2
        return 0
    fi
    export KINOBLICK_FULL_DISK="Z:${full_disk//\//\\}"
}

# The ordinary user of the cases where file owners and modes count (Wine run as root opens files
# whatever their modes): nobody, with a home and a Wine prefix of its own in the build folder.
as_user() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$build_dir/user" WINEPREFIX="$build_dir/user/wineprefix" "$@"
}

# The user's prefix, made once, and the files of its saving cases, made afresh as a user meets
# them: another owner's private file, a symbolic link, a second hard link, a folder that refuses
# new names, another owner's file in a shared sticky folder. KINOBLICK_SAVE_CASES names them.
prepare_user_cases() {
    mkdir -p "$build_dir/user" && chown nobody:nogroup "$build_dir/user"
    if [ ! -f "$build_dir/user/wineprefix/system.reg" ]; then
        as_user wineboot -i >/dev/null 2>&1
        as_user wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1   # as the tests' prefix
    fi
    local cases="$build_dir/save_cases"
    rm -rf "$cases" && mkdir -p "$cases/locked" "$cases/shared"
    touch "$cases"/{private,linked,one,hidden}.txt "$cases/locked/datei.txt" "$cases/shared/fremd.txt"
    ln -s linked.txt "$cases/link.txt" && ln "$cases/one.txt" "$cases/two.txt"
    chown nobody:nogroup "$cases" "$cases"/{linked,one,hidden}.txt && chown root:nogroup "$cases/private.txt"
    chmod 660 "$cases/private.txt" && chmod 666 "$cases/locked/datei.txt" "$cases/shared/fremd.txt"
    chmod 555 "$cases/locked" && chmod 1777 "$cases/shared"
    export KINOBLICK_SAVE_CASES="Z:${cases//\//\\}"
}

stop_all() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    [ -d "$build_dir/user/wineprefix" ] && as_user wineserver -k 2>/dev/null || true
    [ -n "${window_manager_pid:-}" ] && kill "$window_manager_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${full_disk:-}" ] && mountpoint -q "$full_disk" && umount "$full_disk" || true
}
