#!/usr/bin/env bash
# The Windows stage: cross-builds vantrel.exe, vantrel-cli.exe and every test program with
# MinGW-w64, runs the whole suite under Wine without a display, makes the zip and runs the
# example with the vantrel-cli.exe it holds, then starts the real program on a virtual desktop
# under Xvfb, opens the example script and image through the file dialog, presses F9 and checks
# that the listing window comes up. The last screen is saved as
# BUILD/screenshot-windows.png (and copied into $SCREENSHOT_DIR when that is set).
#
# Usage: scripts/test-windows.sh [BUILD_DIR]   (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

source scripts/wine.sh

fail() {
    echo "test-windows: $*" >&2
    exit 1
}

pixel() {  # image x y
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

# Picks a file in the open file dialog by typing its path, as a user would.
choose_file() {  # keys unix-path
    xdotool key "$1"
    wait_for_window 'Open' 20 > /dev/null || fail "no file dialog after $1"
    xdotool type --delay 15 "$(winepath -w "$2" 2> /dev/null)"
    xdotool key Return
    local deadline=$((SECONDS + 20))
    while xdotool search --onlyvisible --name '^Open$' > /dev/null 2>&1; do
        [ $SECONDS -lt "$deadline" ] || fail "the file dialog did not close"
        sleep 0.3
    done
    sleep 0.5
}

# Runs inside xvfb-run: the program on Wine's virtual desktop, driven from the X keyboard.
gui_smoke() {  # build screenshot
    local build=$1 shot=$2
    # The example's folder; scripts/screenshots.sh names a neutral one.
    local examples=${VANTREL_EXAMPLES:-$root/examples}
    export LC_ALL=C.UTF-8  # English dialog titles, whatever the machine's language
    (cd "$examples" && exec wine "$build/ui/win32/vantrel.exe") &
    local program=$!
    local caption
    for caption in Vantrel 'Скрипт' 'Листинг' 'Бинарный файл'; do
        wait_for_window "$caption" 90 > /dev/null || fail "window \"$caption\" not found"
    done
    echo "found the four windows"
    sleep 1
    # The keyboard goes to the X window under the pointer: Wine's desktop.
    xdotool mousemove 512 300

    choose_file shift+F3 "$examples/example.vts"
    choose_file F3 "$examples/firmware.bin"
    # Where the listing lies under the script window until a run shows it.
    local x=850 y=560 listing="srgb(166,202,240)"
    import -window root "$shot"
    [ "$(pixel "$shot" $x $y)" != "$listing" ] || fail "the listing is on top before the run"
    xdotool key F9
    local deadline=$((SECONDS + 20))
    until import -window root "$shot" && [ "$(pixel "$shot" $x $y)" = "$listing" ]; do
        [ $SECONDS -lt "$deadline" ] || fail "F9 did not bring up the listing window"
        sleep 0.5
    done
    wait_for_window 'Листинг' 5 > /dev/null || fail "the listing window is not visible"
    echo "F9 showed the listing window"
    sleep 1
    import -window root "$shot"
    kill "$program" 2> /dev/null || true
}

if [ "${1:-}" = --gui-smoke ]; then
    gui_smoke "$2" "$3"
    exit
fi

source scripts/packages.sh
# googletest: the sources the test programs are built from; fonts-dejavu-core: a fixed-pitch face
# with Cyrillic letters where "Courier" has none, and a sans face whose bold is drawn bold.
install_missing cmake make googletest g++-mingw-w64-x86-64-posix wine wine64 fonts-wine \
    fonts-dejavu-core xvfb xauth xdotool imagemagick unzip

start=$SECONDS
build=$(realpath -m "${1:-build-windows}")
echo "=== Windows: configure and build in $build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j"$(nproc)"
built=$SECONDS

work=$(mktemp -d /tmp/vantrel-wine.XXXXXX)
cleanup() {
    for prefix in "$work"/*/; do
        [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2> /dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

echo "=== Windows: tests under Wine"
new_prefix "$work/headless" 'HKCU\Software\Wine\Drivers|Graphics|null'
# A server that stays, and a booted prefix: otherwise each test waits for Wine's helpers.
wineserver -p > /dev/null 2>&1
wine wineboot > /dev/null 2>&1
# A failure is reported at the end; the program's own run still tells what it can.
suite=passed
# One test program at a time: Wine's window and file tests disturb each other side by side.
ctest --test-dir "$build" --output-on-failure -j1 --timeout 300 || suite=failed

echo "=== Windows: the zip"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$build/vantrel-$version-win64.zip
rm -f "$zip"
(cd "$build" && cpack -G ZIP > /dev/null) || fail "cpack failed"
unzip -q "$zip" -d "$work/zip" || fail "cpack made no $zip"
top=$work/zip/vantrel-$version-win64
for file in vantrel.exe vantrel-cli.exe README.md CHANGELOG.md LICENSE.txt examples/firmware.bin \
    examples/example.vts; do
    [ -f "$top/$file" ] || fail "the zip has no $file"
done
expected=$(cd "$root/examples" && wine "$build/cli/vantrel-cli.exe" run firmware.bin example.vts)
actual=$(cd "$top/examples" && wine ../vantrel-cli.exe run firmware.bin example.vts) ||
    fail "the zip's vantrel-cli.exe failed on the example"
[ "$actual" = "$expected" ] || fail "the zip's vantrel-cli.exe lists the example differently"
echo "made $(basename "$zip"); its vantrel-cli.exe runs its example"
wineserver -k
tested=$SECONDS

echo "=== Windows: the program on a virtual desktop under Xvfb"
new_prefix "$work/gui" "${wine_desktop[@]}"
xvfb-run -a -s "-screen 0 1024x600x24" bash "$root/scripts/test-windows.sh" --gui-smoke "$build" "$build/screenshot-windows.png"
wineserver -k
if [ -n "${SCREENSHOT_DIR:-}" ]; then
    mkdir -p "$SCREENSHOT_DIR"
    cp "$build/screenshot-windows.png" "$SCREENSHOT_DIR/"
fi

echo "=== Windows stage took $((SECONDS - start)) s:" \
    "build $((built - start)) s, tests $((tested - built)) s, program $((SECONDS - tested)) s"
[ $suite = passed ] || fail "tests failed under Wine (see above)"
