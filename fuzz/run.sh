#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds, starting from the seed corpus in fuzz/corpus.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# A finding is kept under BUILD_DIR/findings; copy it into fuzz/regressions/<target>/ so make test replays it.
set -uo pipefail

build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(settings salesslip product purchaseitem supplier purchaseslip lhascan lhaextract lhaadd journal)

mkdir -p "$build/findings"
failed=0
summary=()
for t in "${targets[@]}"; do
    work="$build/corpus/$t"
    mkdir -p "$work"
    seeds=()
    [ -d "$here/corpus/$t" ] && seeds+=("$here/corpus/$t")
    [ -d "$here/regressions/$t" ] && seeds+=("$here/regressions/$t")
    log="$build/findings/$t.log"
    echo "== $t: ${seconds}s"
    ASAN_OPTIONS=detect_leaks=0 "$build/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$t-" "$work" "${seeds[@]}" >"$log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    if [ $status -ne 0 ]; then
        failed=1
        summary+=("$t: FINDING after ${runs:-?} runs, see $log")
        grep -m3 -E 'ERROR|runtime error|SUMMARY|: ' "$log" | tail -3
    else
        summary+=("$t: ${runs:-?} runs, no finding")
    fi
done
printf '%s\n' "${summary[@]}"
exit $failed
