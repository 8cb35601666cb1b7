#!/usr/bin/env bash
# Takes the README's screenshots after a run of the example: the Qt program under Xvfb with
# openbox, and vantrel.exe on a Wine desktop. The example is opened from a neutral folder, so no
# path of the building machine shows. Needs root (the folder is /home/engineer/firmware) and the
# packages of the test command. Usage: scripts/screenshots.sh [BUILD] [WINDOWS_BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ "${1:-}" = --linux-inside ]; then
    export LC_ALL=C.UTF-8
    unset QT_QPA_PLATFORM
    openbox &
    sleep 1
    "$2" &
    program=$!
    retry() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
    window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep .; }
    open() {  # keys path
        xdotool key "$1"
        retry window "Открыть" > /dev/null
        xdotool type --delay 10 "$2"
        xdotool key Return
        sleep 1
    }
    retry window "Листинг" > /dev/null
    sleep 1
    open shift+F3 "$4/example.vts"
    open F3 "$4/firmware.bin"
    xdotool key F9
    sleep 1.5
    import -window root "$3"
    kill "$program"
    exit
fi

build=$(realpath "${1:-build}")
windows=$(realpath "${2:-build-windows}")
neutral=/home/engineer/firmware
mkdir -p "$neutral"
cp examples/example.vts examples/firmware.bin "$neutral/"

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --linux-inside "$build/ui/qt/vantrel" \
    "$root/docs/screenshot-linux.png" "$neutral"
echo "docs/screenshot-linux.png"

prefix=$(mktemp -d /tmp/vantrel-shots.XXXXXX)
source scripts/wine.sh
new_prefix "$prefix" "${wine_desktop[@]}"
mkdir -p "$WINEPREFIX/drive_c/firmware"
cp "$neutral"/* "$WINEPREFIX/drive_c/firmware/"
VANTREL_EXAMPLES="$WINEPREFIX/drive_c/firmware" xvfb-run -a -s "-screen 0 1024x600x24" \
    bash scripts/test-windows.sh --gui-smoke "$windows" "$root/docs/screenshot-windows.png"
WINEPREFIX=$prefix wineserver -k 2> /dev/null || true
rm -rf "$prefix" /home/engineer
echo "docs/screenshot-windows.png"
