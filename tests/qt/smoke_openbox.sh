#!/bin/sh
# The desktop program under a real X server with a window manager (openbox), which gives every
# window its caption buttons: a minimised tool window comes back, visible and active, through the
# "Окна" menu, through F9 (the listing) and through Shift+F3 (the script).
# Usage: smoke_openbox.sh VANTREL SCRIPT, where SCRIPT is a script file typed into the file dialog.
# Exits 77 (skipped) when xvfb-run, xdotool or openbox is missing.
set -u

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool openbox; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inside "$@"
fi
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM
work=$(mktemp -d)
pid=
fail() {
    echo "FAIL: $*"
    # What the screen showed, for the one who reads the failure.
    command -v import >/dev/null 2>&1 && import -window root "$PWD/smoke_openbox_failure.png"
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    kill "$wm" 2>/dev/null
    rm -rf "$work"
    exit 1
}
# Runs the command until it succeeds, for up to ten seconds.
retry() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep .; }
hidden() { ! window "$1" >/dev/null; }
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
back() { window "$1" >/dev/null && active "$2"; }  # caption id

# Openbox runs its start-up command once it manages the screen.
openbox --sm-disable --startup "touch $work/ready" >/dev/null 2>&1 &
wm=$!
retry test -e "$work/ready" || fail "openbox did not start"

"$2" &  # VANTREL
pid=$!
for caption in Vantrel "Листинг" "Бинарный файл" "Скрипт"; do
    retry window "$caption" >/dev/null || fail "no window \"$caption\""
done
main=$(window Vantrel)
script=$(window "Скрипт")
listing=$(window "Листинг")

xdotool windowminimize --sync "$script"
retry hidden "Скрипт" || fail "the script window did not minimise"
xdotool windowactivate --sync "$main"
# Alt alone moves into the menu bar; keys outside the keyboard map could be lost on the way.
xdotool key alt Right Down Return  # "&Окна", then its first item "&Скрипт"
retry back "Скрипт" "$script" || fail "Окна -> Скрипт left the script window minimised"
echo "ok: Окна -> Скрипт brought the minimised script window back"

xdotool windowminimize --sync "$listing"
retry hidden "Листинг" || fail "the listing window did not minimise"
xdotool windowactivate --sync "$main"
xdotool key F9
retry back "Листинг" "$listing" || fail "F9 left the listing window minimised"
echo "ok: F9 brought the minimised listing window back"

xdotool windowminimize --sync "$script"
retry hidden "Скрипт" || fail "the script window did not minimise"
xdotool windowactivate --sync "$main"
xdotool key shift+F3
retry window "Открыть" >/dev/null || fail "no file dialog \"Открыть\" after Shift+F3"
xdotool type --delay 10 "$3"
xdotool key Return
retry back "Скрипт" "$script" || fail "Shift+F3 left the script window minimised"
echo "ok: Shift+F3 brought the minimised script window back"

kill "$pid"
wait "$pid" 2>/dev/null
kill "$wm"
rm -rf "$work"
echo "PASS"
