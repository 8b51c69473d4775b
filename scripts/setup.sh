#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Tenrovel;
# with "native", only what the command-line tool's native build needs (the
# demo). Idempotent: packages already present are left alone and apt is not
# called.
set -euo pipefail

# What the command-line tool needs to build and run the demo.
native=(
  cmake ninja-build g++ pkg-config
  libcurl4-openssl-dev libcli11-dev
  python3
)
# The rest of what the test command needs: the test libraries, the Windows
# cross build and Wine, the window tests' X server and fonts.
everything=(
  "${native[@]}"
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix wine64
  xvfb xauth x11-apps fonts-ipafont-gothic
  x11-utils imagemagick fonts-wine   # scripts/screenshot.sh
)

case "${1:-all}" in
  native) packages=("${native[@]}") ;;
  all) packages=("${everything[@]}") ;;
  *) echo "usage: scripts/setup.sh [native]" >&2; exit 64 ;;
esac

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
