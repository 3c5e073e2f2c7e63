#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a while, one after the
# other, then prints what each run did.
#
#   fuzz/run.sh [seconds per target, default 60] [target ...]
#
# Each target keeps its growing corpus in build/fuzz/corpus/<target> (seeded
# from fuzz/corpus/<target>) and writes crash, leak, timeout and out-of-memory
# inputs to build/fuzz/findings/<target>/. Logs are in build/fuzz/logs/.
# Exits non-zero when any run left a finding.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds == 0)); then
    echo "usage: fuzz/run.sh [seconds per target] [target ...]" >&2
    exit 2
fi

build=build/fuzz
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$(nproc)" >/dev/null || exit 1

if (($#)); then
    targets=("$@")
else
    mapfile -t targets <"$build/fuzz/targets.txt"
fi

status=0
rows=()
for target in "${targets[@]}"; do
    fuzzer=$build/fuzz/${target}_fuzzer
    [ -x "$fuzzer" ] || { echo "no fuzz target '$target'" >&2; exit 2; }
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    dictionary=()
    [ -f "fuzz/$target.dict" ] && dictionary=(-dict="fuzz/$target.dict")

    echo "fuzzing $target for ${seconds}s"
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "${dictionary[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
    exit_code=$?

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    # The corpus and coverage as libFuzzer last reported them: "cov: 75 ft: 143 corp: 57/1234b".
    corpus_units=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -1 | sed 's/corp: //')
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | sed 's/cov: //')
    found=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    if ((found > 0 || exit_code != 0)); then
        status=1
        echo "$target: exit code $exit_code, findings in $findings, log $log" >&2
    fi
    rows+=("$target|${elapsed:-?}|${executions:-?}|${per_second:-?}|${coverage:-?}|${corpus_units:-?}|$found")
done

# Corpus is units/bytes; cov counts the instrumented edges reached.
printf '\n%-18s %8s %12s %8s %6s %12s %9s\n' target seconds executions exec/s cov corpus findings
for row in "${rows[@]}"; do
    IFS='|' read -r target elapsed executions per_second coverage corpus_units found <<<"$row"
    printf '%-18s %8s %12s %8s %6s %12s %9s\n' "$target" "$elapsed" "$executions" "$per_second" "$coverage" \
        "$corpus_units" "$found"
done
exit $status
