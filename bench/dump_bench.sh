#!/usr/bin/env bash
# Times `vantrel-cli dump` against xxd and hexdump -C on the same 64 MiB random file, side by
# side in one run, and prints the ratios (absolute times on shared machines are noisy).
# Usage: bench/dump_bench.sh [path/to/vantrel-cli]
set -euo pipefail
cli=${1:-build/cli/vantrel-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((64 * 1024 * 1024)) /dev/urandom > "$work/image.bin"

source "$(dirname "$0")/best.sh"

ours=$(best "$cli" dump "$work/image.bin")
xxd_time=$(best xxd "$work/image.bin")
hexdump_time=$(best hexdump -C "$work/image.bin")
printf 'vantrel-cli dump: %.3f s\n' "$ours"
printf 'xxd:              %.3f s  (vantrel-cli is %.1fx faster)\n' "$xxd_time" "$(echo "$xxd_time / $ours" | bc -l)"
printf 'hexdump -C:       %.3f s  (vantrel-cli is %.1fx faster)\n' "$hexdump_time" "$(echo "$hexdump_time / $ours" | bc -l)"
