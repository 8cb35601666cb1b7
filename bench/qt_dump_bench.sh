#!/usr/bin/env bash
# The dump in the real Qt program on images of random bytes (64 MiB and 1 GiB unless sizes in MiB
# are given): F3 to the first rows painted, Ctrl+A with Ctrl+C, the first key typed, a find whose
# match is near the end and a go-to, each until the dump is repainted, next to
# `cat FILE > /dev/null` on the same file in the same run, as a ratio; and the growth of the
# resident memory across F3 (target: at most the image's size plus 16 MiB). Under Xvfb when
# xvfb-run is there, else on the offscreen platform.
# Usage: bench/qt_dump_bench.sh [QT_DUMP_BENCH [MiB...]]   (default build/ui/qt/qt_dump_bench,
# 64 1024; build it with `cmake --build build --target qt_dump_bench`)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$top/build/ui/qt/qt_dump_bench}
shift $(($# > 0 ? 1 : 0))
sizes=("$@")
((${#sizes[@]} > 0)) || sizes=(64 1024)
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

for mib in "${sizes[@]}"; do
    image=$work/image-$mib.bin
    head -c $((mib << 20)) /dev/urandom >"$image"
    cat_ns=$(cat_best "$image")
    # Each round is a fresh program: the best time of each action, the largest memory growth.
    results=
    for ((r = 0; r < rounds; r++)); do
        results+=$("${run[@]}" "$image")$'\n'
    done
    awk -v mib="$mib" -v cat_ns="$cat_ns" '
        NF == 8 {
            for (i = 1; i <= 7; i++)
                if (NR == 1 || (i != 2 && i != 3 && $i < best[i]) || ((i == 2 || i == 3) && $i > best[i]))
                    best[i] = $i
            refused = $8
        }
        END {
            cat_s = cat_ns / 1e9
            split("F3 to first rows|Ctrl+A, Ctrl+C|first key|find near the end|go to", name, "|")
            split("1 4 5 6 7", column, " ")
            for (k = 1; k <= 5; k++) {
                t = best[column[k]]
                note = (k == 2 && refused) ? "  (refused: over 64 MiB)" : ""
                printf "bench: %5d MiB  %-18s %8.4f s  cat %.3f s  ratio %.3f%s\n",
                    mib, name[k], t, cat_s, t / cat_s, note
            }
            printf "bench: %5d MiB  resident memory +%.1f MiB (peak +%.1f MiB) across F3, target at most +%d MiB\n",
                mib, best[2] / 1048576, best[3] / 1048576, mib + 16
        }' <<<"$results"
    rm -f "$image"
done
