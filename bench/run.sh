#!/usr/bin/env bash
# Generates the ten-year data once, then runs every benchmark on it.
set -euo pipefail
build=${1:-build}
data=bench/data
mkdir -p "$data"
[ -f "$data/reg.dat" ] || "$build/bench/gen_data" "$data"
for b in "$build"/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" "$data"
done
