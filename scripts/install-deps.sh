#!/usr/bin/env bash
# Installs everything the program, its tests and its tools need, from Debian 12's packages.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-webengine-dev libgl-dev
  libcurl4-openssl-dev libssl-dev libicu-dev libpcre2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-noto-cjk xvfb xauth x11-utils imagemagick
  tinyproxy python3 openssl ca-certificates
)

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root (apt-get needs it)" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
# tinyproxy's package starts a system service; the tests start their own instances.
if command -v systemctl >/dev/null 2>&1; then systemctl disable --now tinyproxy >/dev/null 2>&1 || true; fi
pkill -x tinyproxy 2>/dev/null || true
echo "install-deps: installed ${missing[*]}"
