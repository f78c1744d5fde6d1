#!/usr/bin/env bash
# Generates the ten-year data once, then runs every benchmark on it. TILL_BENCH_YEARS=30 makes and uses
# thirty years instead (about 1.1 GB, in bench/data30).
set -euo pipefail
build=${1:-build}
data=bench/data
if [ -n "${TILL_BENCH_YEARS:-}" ] && [ "${TILL_BENCH_YEARS}" != 10 ]; then
    data=bench/data${TILL_BENCH_YEARS}
fi
mkdir -p "$data"
[ -f "$data/reg.dat" ] || "$build/bench/gen_data" "$data"
for b in "$build"/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" "$data"
done
