#!/usr/bin/env bash
# Times F3 in vantrel.exe under Wine, on a virtual desktop under Xvfb, as a user meets it: the
# image is chosen in the file dialog, and the clock runs from the dialog's Return until the first
# dump row is on screen. Prints the time next to `cat FILE > /dev/null` on the same file, how long
# Ctrl+End then takes to show the last rows, and the program's resident memory before F3, after
# it and at its peak. With KEEP_WORK set, the work folder stays, with each run's last screen.
#
# Needs what scripts/test-windows.sh installs (wine, xvfb, xdotool, imagemagick, the fonts).
# Usage: bench/win32_dump_bench.sh [VANTREL_EXE] [MiB...]   (default build-windows, 16)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

source "$top/scripts/wine.sh"

fail() {
    echo "win32_dump_bench: $*" >&2
    exit 1
}

# The brightest green in the first dump row, right of the caret: 0 while the view is empty.
first_row_green() {  # screenshot
    convert "$1" -crop 150x12+125+191 -channel G -separate -format "%[fx:maxima*255]" info:
}

# A signature of the first rows' pixels.
first_rows() {  # screenshot
    convert "$1" -crop 150x60+125+191 -format "%#" info:
}

memory() {  # pid field
    awk -v field="$2:" '$1 == field { print int($2 / 1024) }' "/proc/$1/status"
}

# Runs inside xvfb-run: one program start per image size.
measure() {  # exe work sizes...
    local exe=$1 work=$2 size
    shift 2
    export LC_ALL=C.UTF-8  # English dialog titles
    for size in "$@"; do
        local image=$work/image-$size.bin shot=$work/after-$size.png
        (cd "$work" && exec wine "$exe") &
        local program=$!
        wait_for_window 'Бинарный файл' 90 > /dev/null || fail "the firmware window did not come up"
        sleep 2
        # The dump view takes the keyboard: its window comes to the front.
        xdotool mousemove 200 400 click 1
        sleep 1
        import -window root "$shot"
        [ "$(first_row_green "$shot")" = 0 ] || fail "the dump is not empty before F3"
        local before_kib
        before_kib=$(memory "$program" VmRSS)
        xdotool key F3
        wait_for_window 'Open' 20 > /dev/null || fail "no file dialog after F3"
        xdotool type --delay 15 "$(winepath -w "$image" 2> /dev/null)"
        local start end
        start=$(date +%s%N)
        xdotool key Return
        until import -window root "$shot" 2> /dev/null && [ "$(first_row_green "$shot")" != 0 ]; do
            [ $(($(date +%s%N) - start)) -lt 600000000000 ] || fail "no dump after 600 s"
            sleep 0.05
        done
        end=$(date +%s%N)
        local after_kib
        after_kib=$(memory "$program" VmRSS)
        # Ctrl+End: the top rows change once the program answers again.
        local top_rows last_start last_end
        top_rows=$(first_rows "$shot")
        last_start=$(date +%s%N)
        xdotool key ctrl+End
        until import -window root "$shot" 2> /dev/null && [ "$(first_rows "$shot")" != "$top_rows" ]; do
            [ $(($(date +%s%N) - last_start)) -lt 600000000000 ] || fail "Ctrl+End did nothing in 600 s"
            sleep 0.05
        done
        last_end=$(date +%s%N)
        local peak_kib
        peak_kib=$(memory "$program" VmHWM)
        local cat_start cat_end
        cat_start=$(date +%s%N)
        cat "$image" > /dev/null
        cat_end=$(date +%s%N)
        awk -v mib="$size" -v f3=$((end - start)) -v cat=$((cat_end - cat_start)) \
            -v last=$((last_end - last_start)) \
            -v before="$before_kib" -v after="$after_kib" -v peak="$peak_kib" 'BEGIN {
            printf "win32 %d MiB: F3 to the first row %.2f s, cat %.3f s (ratio %.0f)\n",
                mib, f3 / 1e9, cat / 1e9, f3 / cat
            printf "win32 %d MiB: then Ctrl+End to the last row %.2f s\n", mib, last / 1e9
            printf "win32 %d MiB: resident %d MiB before F3, %d MiB after (+%d), peak %d MiB\n",
                mib, before, after, after - before, peak
        }'
        kill "$program" 2> /dev/null || true
        wait "$program" 2> /dev/null || true
        wineserver -k 2> /dev/null || true
        wineserver -w
    done
}

if [ "${1:-}" = --inside ]; then
    shift
    measure "$@"
    exit
fi

exe=$(realpath "${1:-$top/build-windows/ui/win32/vantrel.exe}")
[ -f "$exe" ] || fail "no vantrel.exe at $exe (cross-build it, or pass its path)"
shift || true
sizes=("${@:-16}")

work=$(mktemp -d /tmp/vantrel-win32-bench.XXXXXX)
export WINEPREFIX=$work/prefix
cleanup() {
    wineserver -k 2> /dev/null || true
    rm -rf "$work"
}
[ -n "${KEEP_WORK:-}" ] || trap cleanup EXIT
new_prefix "$WINEPREFIX" "${wine_desktop[@]}"
for size in "${sizes[@]}"; do
    head -c $((size * 1024 * 1024)) /dev/urandom > "$work/image-$size.bin"
done
xvfb-run -a -s "-screen 0 1024x600x24" bash "$0" --inside "$exe" "$work" "${sizes[@]}"
