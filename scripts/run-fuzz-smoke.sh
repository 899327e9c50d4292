#!/usr/bin/env bash
# Runs each fuzz target briefly from an empty corpus (plus its seeds, when
# fuzz/seeds/<target>/ exists).  Any crash fails the run, and so does a
# slow unit (one input taking over FUZZ_UNIT_SECONDS, 1 by default) or one
# needing over 512 MB.  Crash, timeout and out-of-memory inputs are written
# under the build folder (<build>/fuzz-artifacts/), never into the checkout.
set -euo pipefail
dir="${1:-build-fuzz}"
secs="${FUZZ_SECONDS:-20}"
unit_secs="${FUZZ_UNIT_SECONDS:-1}"
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$(cd "$dir" && pwd)"
artifacts="$dir/fuzz-artifacts"
mkdir -p "$artifacts"
shopt -s nullglob
for f in "$dir"/fuzz/*_fuzz; do
  name=$(basename "$f")
  corpus=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
  echo "== $name (${secs}s)"
  # Run from the corpus folder so nothing the fuzzer writes lands in the
  # caller's folder.
  (cd "$corpus" && "$f" -max_total_time="$secs" -timeout="$unit_secs" -rss_limit_mb=512 -malloc_limit_mb=512 \
    -max_len=65536 -artifact_prefix="$artifacts/$name-" "$corpus" "${seeds[@]}")
  rm -rf "$corpus"
done
