#!/usr/bin/env bash
# Builds the two fuzzers with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer): the
# script fuzzer (interpreter and checker) and the format fuzzer (Intel HEX, S-record, ELF and UF2
# parsers and the flattening). Each replays its corpus kept here, then fuzzes for FUZZ_SECONDS
# seconds (default 60; 0 replays only). New inputs go to a scratch folder (FUZZ_WORK, or a
# temporary one removed after a clean run), never into the repository. Exits non-zero on a
# finding, keeping the scratch folder.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
seconds=${FUZZ_SECONDS:-60}
if [[ -n ${FUZZ_WORK:-} ]]; then
    work=$FUZZ_WORK
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-fuzz.XXXXXX")
fi
mkdir -p "$work/corpus" "$work/formats"
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
build() {  # name, fuzzer source
    echo "fuzz: building $work/$1"
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$top/core" -I"$top/script" "$here/$2" "${sources[@]}" -o "$work/$1"
}
build script-fuzzer ScriptFuzzer.cpp
build format-fuzzer FormatFuzzer.cpp

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$work"
# One fuzzer: name, its corpus here, its scratch corpus, the limit on a single allocation, then
# its options for fuzzing.
fuzz() {
    local name=$1 kept=$2 scratch=$3 limit=$4
    shift 4
    echo "fuzz: $name: replaying the corpus"
    ./"$name" -runs=0 -malloc_limit_mb="$limit" "$kept" 2>&1 | tail -n 2
    if (( seconds > 0 )); then
        echo "fuzz: $name: fuzzing for $seconds s"
        ./"$name" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb="$limit" "$@" \
            -artifact_prefix="$work/" -print_final_stats=1 "$scratch" "$kept" \
            >"$work/$name.log" 2>&1 || { tail -n 60 "$work/$name.log"; exit 1; }
        grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::new_units_added' \
            "$work/$name.log" || tail -n 5 "$work/$name.log"
    fi
}
fuzz script-fuzzer "$here/corpus" "$work/corpus" 2048 -max_len=8192 -dict="$here/script.dict"
# The parsers allocate by the size of the file, never by what its headers claim: no single
# allocation may pass 64 MiB.
fuzz format-fuzzer "$here/formats" "$work/formats" 64 -max_len=4096 -dict="$here/formats.dict"
echo "fuzz: no findings"
[[ -n ${FUZZ_WORK:-} ]] || rm -rf "$work"
