#!/usr/bin/env bash
# The package stage: makes the Debian package from a built tree, unpacks it into a scratch root
# as dpkg would install it, and checks what a user gets. The installed vantrel-cli runs the
# installed example as the build's own does, both manual pages render without warnings, the
# desktop entry is valid and finds its icon, the completion completes after a leading option,
# vantrel starts with -platform offscreen without a display, the licence and both changelogs
# are there, dpkg would accept the package here, and lintian finds no error or warning and no
# hardening to miss.
#
# Usage: scripts/test-package.sh [BUILD_DIR]   (default build; built already)
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "test-package: $*" >&2
    exit 1
}

build=$(realpath "${1:-build}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# Up to date first: cpack reads the package settings before it builds.
cmake --build "$build" -j"$(nproc)" > /dev/null
rm -f "$build"/vantrel_*.deb
(cd "$build" && cpack -G DEB > /dev/null 2>&1) || fail "cpack failed"
deb=$(echo "$build"/vantrel_"$version"-*_amd64.deb)
[ -f "$deb" ] || fail "cpack made no $deb"
echo "made $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

root=$(mktemp -d /tmp/vantrel-package.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
usr=$root/usr

[ "$("$usr/bin/vantrel-cli" --version)" = "vantrel-cli $version" ] || fail "installed --version"
expected=$("$build/cli/vantrel-cli" run examples/firmware.bin examples/example.vts)
actual=$(cd "$usr/share/doc/vantrel/examples" &&
    "$usr/bin/vantrel-cli" run firmware.bin example.vts) || fail "the installed example failed"
[ "$actual" = "$expected" ] || fail "the installed example lists differently"
echo "the installed vantrel-cli runs the installed example"

for page in vantrel vantrel-cli; do
    file=$usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 > "$root/page.txt") || fail "man $page"
    [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
    grep -q "^Vantrel $version " "$root/page.txt" || fail "$page(1) does not name version $version"
done
echo "both manual pages render"

icon=$(sed -n 's/^Icon=//p' "$usr/share/applications/vantrel.desktop")
for file in scalable/apps/$icon.svg 16x16/apps/$icon.png 256x256/apps/$icon.png; do
    [ -f "$usr/share/icons/hicolor/$file" ] || fail "no icon $file"
done
warnings=$(desktop-file-validate "$usr/share/applications/vantrel.desktop" 2>&1) ||
    fail "the desktop entry is invalid: $warnings"
[ -z "$warnings" ] || fail "desktop-file-validate: $warnings"

# A command after a leading option, and that command's options.
completed=$(
    source "$usr/share/bash-completion/completions/vantrel-cli"
    complete -p vantrel-cli > /dev/null
    for line in "--raw r" "--utf8 check --q"; do
        read -ra COMP_WORDS <<< "vantrel-cli $line"
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _vantrel_cli
        echo "${COMPREPLY[*]}"
    done
) || fail "the bash completion does not load"
[ "$(echo $completed)" = "run --quiet" ] || fail "completion after a leading option: $completed"
echo "the desktop entry is valid; the completion completes after a leading option"

# Qt's -platform stands in for a display.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 2 "$usr/bin/vantrel" \
    -platform offscreen 2> /dev/null || status=$?
[ $status = 124 ] || fail "vantrel -platform offscreen without a display ended with $status"
echo "vantrel starts with -platform offscreen and no display"

doc=$usr/share/doc/vantrel
grep -qx "License: MIT" "$doc/copyright" || fail "the copyright file names no MIT licence"
zcmp "$doc/changelog.gz" CHANGELOG.md || fail "changelog.gz is not CHANGELOG.md"
# Released: CHANGELOG.md dates this version, else the entry would be UNRELEASED.
entry=$(zcat "$doc/changelog.Debian.gz" | head -1)
[ "$entry" = "vantrel ($(dpkg-deb -f "$deb" Version)) unstable; urgency=medium" ] ||
    fail "changelog.Debian.gz begins \"$entry\": is $version dated in CHANGELOG.md?"
echo "the licence and both changelogs are in the package"

# Every declared dependency is met on this machine, as dpkg -i would find.
dpkg --dry-run -i "$deb" > /dev/null || fail "dpkg would not install the package"
# Its notes are shown; an error, a warning or a missing hardening fails the stage.
lintian --display-info --fail-on error,warning "$deb" > "$root/lintian.txt" 2>&1 && linted=yes || linted=no
grep -v "running with root privileges" "$root/lintian.txt" || true
[ $linted = yes ] || fail "lintian finds errors or warnings"
! grep -q " hardening-" "$root/lintian.txt" || fail "lintian finds the programs not hardened"
echo "lintian finds no error, no warning and no missing hardening"
