#!/bin/bash
# Runs each libFuzzer target for SECONDS (default 30), two at a time, from the
# seed corpora in fuzz/corpus. New inputs go to build/fuzz/corpus, not to the
# repository. Fails when a fuzzer finds a crash (kept in build/fuzz/crashes).
set -u
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bin=build/fuzz/fuzz
mkdir -p build/fuzz/crashes
failed=()
run() {
    local name=$1
    mkdir -p "build/fuzz/corpus/$name"
    "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=20 -max_len=4194304 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/crashes/$name-" "build/fuzz/corpus/$name" "fuzz/corpus/$name" \
        > "build/fuzz/$name.log" 2>&1
}
report() {
    local name=$1 rc=$2 runs per
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$name.log" | grep -o '[0-9]*$')
    per=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "build/fuzz/$name.log" | grep -o '[0-9]*$')
    if [ "$rc" -eq 0 ]; then
        echo "fuzz_$name: ${runs:-?} runs, ${per:-?}/s, no crash"
    else
        echo "fuzz_$name: FAILED (see build/fuzz/$name.log and build/fuzz/crashes/)"
        grep -E 'ERROR|SUMMARY|abort|deadly' "build/fuzz/$name.log" | head -5
        failed+=("$name")
    fi
}
# Two at a time: the machine has two cores.
# Every fuzz/fuzz_NAME.cpp is a target.
targets=()
for source in fuzz/fuzz_*.cpp; do
    name=${source#fuzz/fuzz_}
    targets+=("${name%.cpp}")
done
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pair=("${targets[@]:i:2}")
    pids=()
    for name in "${pair[@]}"; do
        run "$name" &
        pids+=($!)
    done
    for j in "${!pair[@]}"; do
        wait "${pids[j]}"
        report "${pair[j]}" $?
    done
done
[ ${#failed[@]} -eq 0 ]
