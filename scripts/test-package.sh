#!/usr/bin/env bash
# The package stage: makes the Debian package from a built tree, unpacks it into a scratch root
# as dpkg would install it, and checks what a user gets. The installed vantrel-cli runs the
# installed example as the build's own does, both manual pages render without warnings, the
# desktop entry finds its icon, dpkg would accept the package here, and lintian finds no error.
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
deb=$build/vantrel_${version}_amd64.deb
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
bash -c "source '$usr/share/bash-completion/completions/vantrel-cli' && complete -p vantrel-cli" \
    > /dev/null || fail "the bash completion does not load"

# Every declared dependency is met on this machine, as dpkg -i would find.
dpkg --dry-run -i "$deb" > /dev/null || fail "dpkg would not install the package"
# Its warnings are shown; an error fails the stage.
lintian --fail-on error "$deb" > "$root/lintian.txt" 2>&1 && linted=yes || linted=no
grep -v "running with root privileges" "$root/lintian.txt" || true
[ $linted = yes ] || fail "lintian finds errors"
echo "lintian finds no error"
