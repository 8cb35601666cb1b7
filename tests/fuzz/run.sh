#!/usr/bin/env bash
# Builds the script fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# replays the corpus kept here, then fuzzes for FUZZ_SECONDS seconds (default 60; 0 replays
# only). New inputs go to a scratch folder (FUZZ_WORK, or a temporary one removed after a clean
# run), never into the repository. Exits non-zero on a finding, keeping the scratch folder.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
seconds=${FUZZ_SECONDS:-60}
if [[ -n ${FUZZ_WORK:-} ]]; then
    work=$FUZZ_WORK
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-fuzz.XXXXXX")
fi
mkdir -p "$work/corpus"
# The fuzzer rewrites its two input files for every execution: keep them in memory if possible.
if [[ -w /dev/shm ]]; then
    FUZZ_FILES=$(mktemp -d /dev/shm/vantrel-fuzz.XXXXXX)
else
    FUZZ_FILES=$(mktemp -d "$work/files.XXXXXX")
fi
export FUZZ_FILES
trap 'rm -rf "$FUZZ_FILES"' EXIT

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    echo "fuzz: installing clang and its fuzzer runtime"
    apt-get update -qq && apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

sources=()
for f in "$top"/core/*.cpp "$top"/script/*.cpp; do
    [[ $f == *Win32* ]] || sources+=("$f")
done
echo "fuzz: building $work/script-fuzzer"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$top/core" -I"$top/script" "$here/ScriptFuzzer.cpp" "${sources[@]}" -o "$work/script-fuzzer"

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$work"
echo "fuzz: replaying the corpus"
./script-fuzzer -runs=0 "$here/corpus" 2>&1 | tail -n 2

if (( seconds > 0 )); then
    echo "fuzz: fuzzing for $seconds s"
    ./script-fuzzer -max_total_time="$seconds" -max_len=8192 -timeout=10 -dict="$here/script.dict" \
        -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "$here/corpus" \
        >"$work/fuzz.log" 2>&1 || { tail -n 60 "$work/fuzz.log"; exit 1; }
    grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::new_units_added' "$work/fuzz.log" || tail -n 5 "$work/fuzz.log"
fi
echo "fuzz: no findings"
[[ -n ${FUZZ_WORK:-} ]] || rm -rf "$work"
