#!/usr/bin/env bash
# Runs a Windows test program under Wine on a private X display (Xvfb) with a
# Wine prefix and server of its own, so that windows can be shown and driven
# without a screen and nothing is left running afterwards.
#
# usage: run_with_xvfb.sh WINEPREFIX TIME_LIMIT_SECONDS PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=$1
limit=$2
shift 2
wine_run="$here/../../../scripts/wine-run.sh"
wineserver=/usr/lib/wine/wineserver
command -v Xvfb >/dev/null || { echo "run_with_xvfb: Xvfb is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true   # this prefix's server and every program in it
  "$wineserver" -w 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "run_with_xvfb: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

status=0
timeout --kill-after=10 "$limit" "$wine_run" "$@" || status=$?
exit "$status"
