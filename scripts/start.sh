#!/usr/bin/env bash
# Sets up and starts Vantrel: installs what is missing, builds, and launches the desktop program.
# Without a display it says so and shows the bundled example through vantrel-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_missing "${BUILD_PACKAGES[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target vantrel vantrel-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/ui/qt/vantrel
fi
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): running the bundled example"
echo "with vantrel-cli instead."
echo
echo "\$ vantrel-cli dump examples/firmware.bin | head -5"
# Taken whole and then cut: under pipefail, a pipe into head would fail as soon as head stops
# reading early.
dump=$(build/cli/vantrel-cli dump examples/firmware.bin)
head -5 <<< "$dump"
echo
echo "\$ vantrel-cli run examples/firmware.bin examples/example.vts"
build/cli/vantrel-cli run examples/firmware.bin examples/example.vts
