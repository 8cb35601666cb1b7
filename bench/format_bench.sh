#!/usr/bin/env bash
# Times flattening a 64 MiB random image given as Intel HEX (about 180 MB of text): `vantrel-cli
# run --format ihex` with a one-line script (the load is the work) against `objcopy -I ihex -O
# binary --gap-fill 0xFF` on the same file, side by side in one run. Checks first that both make
# the image back, then prints the ratio (absolute times on shared machines are noisy).
# Usage: bench/format_bench.sh [path/to/vantrel-cli]
set -euo pipefail
cli=${1:-build/cli/vantrel-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((64 * 1024 * 1024)) /dev/urandom > "$work/image.bin"
objcopy -I binary -O ihex "$work/image.bin" "$work/image.hex"
echo "PTR 0000 'First byte'" > "$work/one.vts"

objcopy -I ihex -O binary --gap-fill 0xFF "$work/image.hex" "$work/objcopy.bin"
cmp -s "$work/image.bin" "$work/objcopy.bin" || { echo "objcopy made another image"; exit 1; }
[ "$("$cli" dump --format ihex "$work/image.hex" | md5sum)" = "$("$cli" dump "$work/image.bin" | md5sum)" ] ||
    { echo "vantrel-cli made another image"; exit 1; }

source "$(dirname "$0")/best.sh"

ours=$(best "$cli" run --format ihex "$work/image.hex" "$work/one.vts")
objcopy_time=$(best objcopy -I ihex -O binary --gap-fill 0xFF "$work/image.hex" "$work/objcopy.bin")
printf 'Intel HEX text:             %d MB for a 64 MiB image\n' "$(( $(stat -c %s "$work/image.hex") / 1000000 ))"
printf 'vantrel-cli --format ihex:  %.3f s\n' "$ours"
printf 'objcopy -O binary:          %.3f s  (vantrel-cli is %.1fx faster)\n' "$objcopy_time" "$(echo "$objcopy_time / $ours" | bc -l)"
