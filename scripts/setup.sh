#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Tenrovel.
# Idempotent: packages already present are left alone and apt is not called.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcurl4-openssl-dev libcli11-dev
  g++-mingw-w64-x86-64-posix wine64
  python3
  xvfb xauth x11-apps fonts-ipafont-gothic
  x11-utils imagemagick fonts-wine   # scripts/screenshot.sh
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
