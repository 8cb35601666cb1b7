#!/usr/bin/env bash
# F3 in the real Qt program on 16 and 64 MiB images of random bytes: the time from the key to the
# dump's first rows painted, next to `cat FILE > /dev/null` on the same file in the same run, as a
# ratio; and the growth of the resident memory across F3 (target: at most the image's size plus
# 16 MiB). Under Xvfb when xvfb-run is there, else on the offscreen platform.
# Usage: bench/qt_dump_bench.sh [QT_DUMP_BENCH]   (default build/ui/qt/qt_dump_bench; build it
# with `cmake --build build --target qt_dump_bench`)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$top/build/ui/qt/qt_dump_bench}
rounds=${BENCH_ROUNDS:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work  # Qt wants one, private to the user

[[ -x $bench ]] || { echo "bench: no qt_dump_bench at $bench (build it, or pass its path)" >&2; exit 2; }
run=("$bench")
if command -v xvfb-run >/dev/null 2>&1; then
    run=(env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$bench")
fi

# Best of several rounds of `cat`, in nanoseconds.
cat_best() {
    local best=0 start end
    for ((r = 0; r < rounds; r++)); do
        start=$(date +%s%N)
        cat "$1" >/dev/null
        end=$(date +%s%N)
        ((best == 0 || end - start < best)) && best=$((end - start))
    done
    echo "$best"
}

for mib in 16 64; do
    image=$work/image-$mib.bin
    head -c $((mib << 20)) /dev/urandom >"$image"
    cat_ns=$(cat_best "$image")
    # Each round is a fresh program: the best time, and the largest growth of the memory.
    best= grown=0 peak=0
    for ((r = 0; r < rounds; r++)); do
        read -r seconds rss hwm < <("${run[@]}" "$image")
        best=$(awk -v a="$seconds" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
        ((rss > grown)) && grown=$rss
        ((hwm > peak)) && peak=$hwm
    done
    awk -v mib="$mib" -v f3="$best" -v cat_ns="$cat_ns" -v rss="$grown" -v hwm="$peak" 'BEGIN {
        printf "bench: %d MiB  F3 to first rows %.3f s  cat %.3f s  ratio %.1f\n",
            mib, f3, cat_ns / 1e9, f3 / (cat_ns / 1e9)
        printf "bench: %d MiB  resident memory +%.1f MiB (peak +%.1f MiB), target at most +%d MiB\n",
            mib, rss / 1048576, hwm / 1048576, mib + 16
    }'
done
