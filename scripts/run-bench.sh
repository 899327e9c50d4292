#!/usr/bin/env bash
# Runs every benchmark program of a bench build; each prints its own ratios.
set -euo pipefail
dir="${1:-build-bench}"
shopt -s nullglob
for b in "$dir"/bench/*_bench; do
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.5
done
