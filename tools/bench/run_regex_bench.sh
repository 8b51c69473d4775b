#!/usr/bin/env bash
# Runs the regex engine side by side with PCRE2 (tools/bench/regex_bench.cpp):
# installs Debian's libpcre2-dev if it is missing (a benchmark-only
# dependency; the product never links PCRE2), configures and builds the
# native-release preset, runs the benchmark and prints its Markdown table,
# ready to paste into the README, headed by the machine and the date.
# Google Benchmark's own output is kept in build/native-release/regex_bench.log.
#
#   tools/bench/run_regex_bench.sh [regex_bench arguments, e.g. --benchmark_filter=ours]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"

packages=(libpcre2-dev libbenchmark-dev pkg-config)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "run_regex_bench: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

log="$root/build/native-release/regex_bench.log"
mkdir -p "$(dirname "$log")"
if ! { cmake --preset native-release && cmake --build --preset native-release -j2 --target regex_bench; } >"$log" 2>&1; then
  tail -30 "$log" >&2
  exit 1
fi

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores ($cpu), commit $(git rev-parse --short HEAD)."
echo
build/native-release/tools/bench/regex_bench "$@" 2>"$log"
