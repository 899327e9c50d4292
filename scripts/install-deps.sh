#!/usr/bin/env bash
# Installs the Debian 12 packages the suite builds, tests and benchmarks with.
# Unattended and idempotent: packages already present are skipped, and apt is
# not touched at all when nothing is missing.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # Qt 6
  qt6-base-dev qt6-svg-dev libqt6svg6 libxcb1-dev
  # codecs
  libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libgif-dev
  libopenjp2-7-dev libexif-dev libdeflate-dev zlib1g-dev
  # pixel work, structured storage, scanner
  libopencv-imgproc-dev libgsf-1-dev libsane-dev sane-utils
  # tests and screenshots
  libgtest-dev libgmock-dev libbenchmark-dev poppler-utils xvfb xauth fonts-noto-cjk
  imagemagick xdotool
  # handing a picture to the user's mail program
  xdg-utils
  # fuzzing
  clang libclang-rt-14-dev
  # benchmark peers
  libvips-dev libvips-tools libjpeg-turbo-progs
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: these packages are missing and installing them needs root:" >&2
    echo "  ${missing[*]}" >&2
    echo "install-deps: run this again as root, or install sudo" >&2
    exit 1
  fi
  SUDO="sudo"
  # Without a terminal sudo cannot ask for a password; fail rather than hang.
  if [ ! -t 0 ]; then SUDO="sudo -n"; fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
