#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  zlib1g-dev libcrypto++-dev libudev-dev libblkid-dev
  qt6-base-dev libgl-dev fonts-dejavu-core
  xvfb xauth openssl xxd python3 dosfstools util-linux
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
