#!/bin/sh
# The desktop program under a real X server without a window manager: the four windows by caption
# and where they stand; F9 in the script window focuses the listing; the keyboard focus returns
# to the script window after the file dialog and the error box. Usage: smoke_xvfb.sh VANTREL.
# Exits 77 (skipped) when xvfb-run or xdotool is missing.
set -u

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inside "$@"
fi
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM

fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null; exit 1; }
# Runs the command until it succeeds, for up to ten seconds.
retry() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep .; }
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

"$2" &  # VANTREL
pid=$!

# (1024 - 800) div 2 = 112; without a window manager a window stands exactly where it was put.
for expected in "Vantrel=112 0 792 *" "Листинг=112 420 798 500 " \
    "Бинарный файл=112 119 620 500 " "Скрипт=289 119 620 500 "; do
    caption=${expected%%=*}
    id=$(retry window "$caption") || fail "no window \"$caption\""
    at=$(xdotool getwindowgeometry --shell "$id" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 }')
    case "$at" in
        ${expected#*=}) echo "ok: $caption at $at" ;;
        *) fail "$caption stands at $at, not at ${expected#*=}" ;;
    esac
done

main=$(window Vantrel)
listing=$(window "Листинг")
script=$(window "Скрипт")
xdotool windowfocus --sync "$script"
retry focused "$script" || fail "cannot focus the script window"
xdotool key F9
retry focused "$listing" || fail "F9 in the script window did not bring the listing window"
echo "ok: F9 in the script window brought the listing window"

# No window manager hands the focus back when a dialog closes: the program must.
xdotool windowfocus --sync "$script"
retry focused "$script" || fail "cannot focus the script window"
xdotool key shift+F3
retry window "Открыть" >/dev/null || fail "no file dialog \"Открыть\" after Shift+F3"
xdotool type --delay 10 "/nonexistent/missing.vts"
xdotool key Return
box() { xdotool search --onlyvisible --name "^Vantrel\$" | grep -vx "$main" | grep .; }
retry box >/dev/null || fail "no error box for a missing script"
xdotool key Return
retry focused "$script" || fail "the focus did not return to the script window after the box"
echo "ok: the focus returned to the script window after the file dialog and the error box"

kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS"
