#!/usr/bin/env bash
# Installs the packages, builds, and starts Ruvel on the sample picture (or on
# the picture given as the first argument).  Needs only bash on Debian 12.
set -euo pipefail
cd "$(dirname "$0")"
BUILD="${BUILD:-build}"
export BUILD

bash scripts/build.sh

picture="${1:-$PWD/$BUILD/sample/sample.png}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop" \
       "session, or under Xvfb: xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec "$BUILD/bin/ruvel" "$picture"
