#!/usr/bin/env bash
# Times vantrel.exe under Wine, on a virtual desktop under Xvfb, as a user meets it. F3: the image
# is chosen in the file dialog, and the clock runs from the dialog's Return until the dump's rows
# are on screen. Then, each from the key to the dump's repaint: the first keystroke in the dump,
# Ctrl+End, a go-to (Ctrl+G, the middle of the image, from the prompt's Return), a find whose
# match lies near the end (Ctrl+F from the start, from the prompt's Return), and Ctrl+A plus Ctrl+C
# (until a Ctrl+Home after them shows the first rows again). Each is printed next to
# `cat FILE > /dev/null` on the same file as a ratio, with the program's resident memory before
# F3, after it and at its peak. With KEEP_WORK set, the work folder stays, with each run's last
# screen.
#
# Needs what scripts/test-windows.sh installs (wine, xvfb, xdotool, imagemagick, the fonts), and
# g++ and libx11-dev for bench/screen_change.cpp, which presses the timed keys and watches the
# screen.
# Usage: bench/win32_dump_bench.sh [VANTREL_EXE] [MiB...]   (default build-windows, 16 64)
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

# The dump's address column, which the dialogs in the middle of the screen leave free: every
# scroll of the dump changes it, and so does a character typed at a row's start.
column=(120 190 80 380)

# Prints the seconds from the keys to the column's change.
timed() {  # keys...
    "$work/screen_change" "${column[@]}" "$@"
}

# Waits until the column shows the first rows again after the keys; prints the seconds.
until_start() {  # keys...
    "$work/screen_change" "${column[@]}" --until "$work/start.pixels" "$@"
}

pattern=VANTRELBENCH

memory() {  # pid field
    awk -v field="$2:" '$1 == field { print int($2 / 1024) }' "/proc/$1/status"
}

# Runs inside xvfb-run: one program start per image size.
measure() {  # exe work sizes...
    local exe=$1 size
    work=$2
    shift 2
    export LC_ALL=C.UTF-8  # English dialog titles
    for size in "$@"; do
        local image=$work/image-$size.bin shot=$work/after-$size.png
        (cd "$work" && exec wine "$exe" 2> "$work/stderr-$size.txt") &
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
        # The rows below the file dialog show the first addresses once the dump is drawn.
        local f3
        f3=$("$work/screen_change" 120 530 80 60 Return)
        local after_kib
        after_kib=$(memory "$program" VmRSS)
        sleep 1
        "$work/screen_change" "${column[@]}" --save "$work/start.pixels"
        local key last
        key=$(timed x)
        xdotool key ctrl+z
        until_start > /dev/null
        last=$(timed ctrl+End)
        xdotool key ctrl+g
        wait_for_window 'Перейти к адресу' 20 > /dev/null || fail "no prompt after Ctrl+G"
        xdotool type "$(printf '%X' $((size << 19)))"
        local go_to
        go_to=$(timed Return)
        until_start ctrl+Home > /dev/null
        xdotool key ctrl+f
        wait_for_window 'Найти' 20 > /dev/null || fail "no prompt after Ctrl+F"
        xdotool type "'$pattern'"
        local find
        find=$(timed Return)
        local copy
        copy=$(until_start ctrl+a ctrl+c ctrl+Home)
        sleep 1
        import -window root "$shot"
        [ "$(xdotool search --onlyvisible --name '^Vantrel$' | wc -l)" = 1 ] ||
            fail "a message came up (see $shot)"
        local peak_kib
        peak_kib=$(memory "$program" VmHWM)
        local cat_start cat_end
        cat_start=$(date +%s%N)
        cat "$image" > /dev/null
        cat_end=$(date +%s%N)
        awk -v mib="$size" -v f3="$f3" -v cat=$((cat_end - cat_start)) \
            -v key="$key" -v last="$last" -v go_to="$go_to" -v find="$find" -v copy="$copy" \
            -v before="$before_kib" -v after="$after_kib" -v peak="$peak_kib" 'BEGIN {
            c = cat / 1e9
            printf "win32 %d MiB: cat %.3f s\n", mib, c
            printf "win32 %d MiB: F3 to the first rows    %7.3f s (ratio %.2f)\n", mib, f3, f3 / c
            printf "win32 %d MiB: first key to repaint    %7.3f s (ratio %.2f)\n", mib, key, key / c
            printf "win32 %d MiB: Ctrl+End to the last row %6.3f s (ratio %.2f)\n", mib, last, last / c
            printf "win32 %d MiB: go to the middle        %7.3f s (ratio %.2f)\n", mib, go_to, go_to / c
            printf "win32 %d MiB: find near the end       %7.3f s (ratio %.2f)\n", mib, find, find / c
            printf "win32 %d MiB: Ctrl+A, Ctrl+C          %7.3f s (ratio %.1f)\n", mib, copy, copy / c
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
sizes=("$@")
[ $# -gt 0 ] || sizes=(16 64)

work=$(mktemp -d /tmp/vantrel-win32-bench.XXXXXX)
export WINEPREFIX=$work/prefix
cleanup() {
    wineserver -k 2> /dev/null || true
    rm -rf "$work"
}
[ -n "${KEEP_WORK:-}" ] || trap cleanup EXIT
new_prefix "$WINEPREFIX" "${wine_desktop[@]}"
c++ -std=c++20 -O2 -o "$work/screen_change" "$top/bench/screen_change.cpp" -lX11 -l:libXtst.so.6 ||
    fail "cannot build bench/screen_change.cpp (needs g++ and libx11-dev)"
for size in "${sizes[@]}"; do
    head -c $((size * 1024 * 1024)) /dev/urandom > "$work/image-$size.bin"
    # What the find looks for, 4 KiB before the end.
    printf '%s' "$pattern" | dd of="$work/image-$size.bin" bs=1 seek=$(((size << 20) - 4096)) \
        conv=notrunc status=none
done
xvfb-run -a -s "-screen 0 1024x600x24" bash "$0" --inside "$exe" "$work" "${sizes[@]}"
