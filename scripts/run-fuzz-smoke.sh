#!/usr/bin/env bash
# Runs each fuzz target briefly from an empty corpus (plus its seeds, when
# fuzz/seeds/<target>/ exists); any crash fails the run.
set -euo pipefail
dir="${1:-build-fuzz}"
secs="${FUZZ_SECONDS:-20}"
root="$(cd "$(dirname "$0")/.." && pwd)"
shopt -s nullglob
for f in "$dir"/fuzz/*_fuzz; do
  name=$(basename "$f")
  corpus=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
  echo "== $name (${secs}s)"
  "$f" -max_total_time="$secs" -rss_limit_mb=4096 -max_len=65536 "$corpus" "${seeds[@]}"
  rm -rf "$corpus"
done
