#!/bin/sh
# The desktop program under a real X server without a window manager: finds the four windows by
# caption, checks where they stand, opens the example image and script through the real file
# dialog, and checks that F9 pressed in the script window makes the listing the focused window.
# Usage: smoke_xvfb.sh VANTREL EXAMPLES_DIR. With SCREENSHOT_DIR set, saves start.png and run.png
# there. Exits 77 (skipped) when xvfb-run or xdotool is missing.
set -u

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inside "$@"
fi
shift
vantrel=$1
examples=$2
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM

fail() {
    echo "FAIL: $*"
    kill "$pid" 2>/dev/null
    exit 1
}

# The visible window whose caption is exactly $1, waiting up to ten seconds for it.
window() {
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Waits until the window with the given id has the keyboard focus.
focused() {
    for _ in $(seq 50); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 }'
}

expect_geometry() {
    actual=$(geometry "$2")
    [ "$actual" = "$3" ] || fail "$1 stands at $actual, not at $3"
    echo "ok: $1 at $3"
}

# Answers the file dialog that the key $1 opens from the window $2 with the path $3.
open_with_dialog() {
    xdotool windowfocus --sync "$2"
    xdotool key "$1"
    dialog=""
    for _ in $(seq 50); do
        dialog=$(xdotool getwindowfocus 2>/dev/null)
        case " $main $script $listing $firmware " in
            *" $dialog "*) dialog="" ;;
        esac
        [ -n "$dialog" ] && break
        sleep 0.2
    done
    [ -n "$dialog" ] || fail "no file dialog after $1"
    sleep 0.5
    xdotool key ctrl+a
    xdotool type --delay 5 "$3"
    xdotool key Return
    sleep 1
}

"$vantrel" &
pid=$!

main=$(window "Vantrel") || fail "no main window"
listing=$(window "Листинг") || fail "no listing window"
firmware=$(window "Бинарный файл") || fail "no firmware window"
script=$(window "Скрипт") || fail "no script window"
focused "$main" || fail "the main window does not have the focus at start"
echo "ok: four windows, the main window focused"

# (1024 - 800) div 2 = 112; without a window manager a window stands exactly where it was put.
main_geometry=$(geometry "$main")
case "$main_geometry" in
    "112 0 792 "*) echo "ok: main window at $main_geometry" ;;
    *) fail "main window stands at $main_geometry" ;;
esac
expect_geometry "listing window" "$listing" "112 420 798 500 "
expect_geometry "firmware window" "$firmware" "112 119 620 500 "
expect_geometry "script window" "$script" "289 119 620 500 "
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    sleep 0.5
    import -window root "$SCREENSHOT_DIR/start.png"
fi

open_with_dialog F3 "$main" "$examples/firmware.bin"
open_with_dialog shift+F3 "$main" "$examples/example.vts"
focused "$script" || fail "the script window is not focused after opening a script"
echo "ok: image and script opened through the file dialog"

xdotool windowfocus --sync "$firmware"
focused "$firmware" || fail "cannot focus the firmware window"
xdotool windowfocus --sync "$script"
focused "$script" || fail "cannot focus the script window"
xdotool key F9
focused "$listing" || fail "F9 in the script window did not bring the listing window"
echo "ok: F9 in the script window brought the listing window"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    sleep 0.5
    import -window root "$SCREENSHOT_DIR/run.png"
fi

kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS"
