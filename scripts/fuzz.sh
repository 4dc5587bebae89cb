#!/usr/bin/env bash
# Fuzzes every parser of outside input: builds the targets of fuzz/ in
# build/fuzz (clang, libFuzzer, ASan and UBSan) and runs each for the given
# seconds (default 60) on a scratch copy of its seeds, fuzz/corpus/<target>/
# (the seeds themselves are left as they are). Further arguments name the
# targets to run (default: all); FUZZ_JOBS=2 runs two at a time.
# Exits non-zero when any target finds a crash, a hang, a leak or a broken
# property; the input that did it is kept in build/fuzz/runs/<target>/, and
# build/fuzz/<target> <that file> runs it again.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if [ $# -gt 0 ]; then shift; fi
jobs=${FUZZ_JOBS:-1}
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DVIGILOR_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

run_one() {
    local target=$1 run=build/fuzz/runs/$1
    rm -rf "$run"
    mkdir -p "$run/corpus"
    cp fuzz/corpus/"$target"/* "$run/corpus/"
    # A single input that takes 10 s is a hang.
    if build/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$run/" "$run/corpus" >"$run/log" 2>&1; then
        echo ok >"$run/result"
    else
        echo FINDING >"$run/result"
    fi
}

running=0
for target in "${targets[@]}"; do
    [ -x build/fuzz/"$target" ] && [ -d fuzz/corpus/"$target" ] || { echo "No fuzz target or seeds: $target" >&2; exit 2; }
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
    run_one "$target" &
    running=$((running + 1))
done
wait

status=0
for target in "${targets[@]}"; do
    run=build/fuzz/runs/$target
    result=$(cat "$run/result" 2>/dev/null || echo FINDING)
    runs=$(grep -o 'number_of_executed_units: *[0-9]*' "$run/log" | grep -o '[0-9]*$' || true)
    cover=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$run/log" | tail -n 1 || true)
    printf '%-20s %-8s %12s runs   %s\n' "$target" "$result" "${runs:-?}" "$cover"
    if [ "$result" != ok ]; then
        status=1
        grep -E -A3 'property broken|ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error' "$run/log" | head -n 20 || true
        find "$run" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'leak-*' -o -name 'oom-*' \) \
            -printf '  input: %p\n'
    fi
done
exit $status
