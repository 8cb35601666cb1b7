#!/usr/bin/env bash
# Sets up and runs every test: installs what is missing, then builds and runs the whole suite
# twice (plain, then with AddressSanitizer and UndefinedBehaviorSanitizer), makes and checks the
# Debian package from the plain build, replays the fuzz corpus, and finally cross-builds for
# Windows, runs the suite under Wine and makes the Windows zip. The package and the zip are left
# in dist/ with their SHA256SUMS: a release is a copy of that folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_missing "${BUILD_PACKAGES[@]}" xvfb xauth xdotool openbox imagemagick clang \
    libclang-rt-14-dev xxd bsdextrautils bc
# The package stage: dpkg-shlibdeps and file for cpack, man to render the pages, lintian and
# desktop-file-validate, and the Qt translations the package depends on.
install_missing dpkg-dev file man-db lintian desktop-file-utils qt6-translations-l10n

jobs=$(nproc)

run_suite() {  # build folder, extra cmake arguments...
    local dir=$1
    shift
    echo "=== $dir: configure and build"
    cmake -S . -B "$dir" "$@" > /dev/null
    cmake --build "$dir" -j"$jobs"
    echo "=== $dir: tests"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 300
}

# What this run makes for a release; nothing of an earlier run stays among it.
rm -rf dist
mkdir dist

start=$SECONDS
run_suite build -DCMAKE_BUILD_TYPE=Release
echo "=== Debian package"
bash scripts/test-package.sh build
cp build/vantrel_*.deb dist/
# Qt's own libraries are not instrumented; their one-time allocations are not our leaks.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build-sanitize -DVANTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
echo "=== native stages took $((SECONDS - start)) s"

if [ -f tests/fuzz/run.sh ]; then
    echo "=== fuzzing"
    FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash tests/fuzz/run.sh
fi

if [ -f scripts/test-windows.sh ] && [ "${VANTREL_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "=== Windows build under Wine"
    bash scripts/test-windows.sh
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
    cp "build-windows/vantrel-$version-win64.zip" dist/
fi
(cd dist && sha256sum -- * > SHA256SUMS)
echo "=== all stages passed in $((SECONDS - start)) s; dist/ holds:"
ls dist
