#!/usr/bin/env bash
# Times `vantrel-cli run` on a 1,000,000-line script against `wc -l` on the same file and prints
# the ratio (target: at most 15). The script mixes every command; one line in ten prints.
# Usage: bench/run_bench.sh [VANTREL_CLI]   (default build/cli/vantrel-cli)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$top/build/cli/vantrel-cli}
image=$top/examples/firmware.bin
lines=${BENCH_LINES:-1000000}
rounds=${BENCH_ROUNDS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

[[ -x $cli ]] || { echo "bench: no vantrel-cli at $cli (build it, or pass its path)" >&2; exit 2; }

# Ten-line groups over the example image: nine lines compute, the tenth prints one of five kinds.
# EQU16 reads from the version string on, where no byte breaks or cuts a listing line.
awk -v lines="$lines" 'BEGIN {
    q = sprintf("%c", 39)
    for (i = 0; i < lines; i++) {
        g = int(i / 10)
        k = i % 10
        if (k == 0) printf "SET2E 01 %04X\n", g % 4000 + 1
        else if (k == 1) printf "SET2 02 %04X\n", (i * 7) % 4094
        else if (k == 2) printf "INC2 03 %04X\n", i % 65536
        else if (k == 3) printf "SET2E 07 %04X\n", 16 + g % 16
        else if (k == 4) printf "SHL2 02 %02X\n", g % 32
        else if (k == 5) printf "SWP 02 \n"
        else if (k == 6) printf "CH16 01 01 05\n"
        else if (k == 7) printf "SET2A 06 01\n"
        else if (k == 8) printf (g % 2 ? "INV2 04\n" : "DEC2 04 0002\n")
        else if (g % 5 == 0) printf "PTR %04X %sByte%s\n", g % 4096, q, q
        else if (g % 5 == 1) printf "PTR4 %04X %sLong%s\n", g % 4090, q, q
        else if (g % 5 == 2) printf "EQU2 %02X %sRegister %d%s\n", g % 6 + 1, q, g, q
        else if (g % 5 == 3) printf "EQU16 07 %sText%s\n", q, q
        else printf "IF2 0000 7F56 %sSignature%s\n", q, q
    }
}' >"$work/bench.vts"

# Best of several rounds, in nanoseconds.
best() {
    local best=0 start end
    for ((r = 0; r < rounds; r++)); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        ((best == 0 || end - start < best)) && best=$((end - start))
    done
    echo "$best"
}

listed=$("$cli" run "$image" "$work/bench.vts" | wc -l)
[[ $listed -eq $((lines / 10)) ]] || { echo "bench: expected $((lines / 10)) listing lines, got $listed" >&2; exit 1; }
wc_ns=$(best wc -l "$work/bench.vts")
run_ns=$(best "$cli" run "$image" "$work/bench.vts")
echo "bench: $lines script lines, $(stat -c %s "$work/bench.vts") bytes, $listed listing lines"
echo "bench: wc -l            $((wc_ns / 1000)) us"
echo "bench: vantrel-cli run  $((run_ns / 1000)) us"
awk -v a="$run_ns" -v b="$wc_ns" 'BEGIN { printf "bench: run / wc -l ratio %.1f (target at most 15)\n", a / b }'
