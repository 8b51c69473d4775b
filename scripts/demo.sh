#!/usr/bin/env bash
# The demo: builds the command-line tool and runs a real Mizuho job for
# 北海道 and 東京都 against the bundled bank simulator on 127.0.0.1, which
# serves made-up sample data (not the bank's). Prints the first rows of the
# CSV file, decoded from code page 932 for the terminal.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# The build takes a minute or more on a small machine: its progress shows.
echo "== installing what the native build needs"
scripts/setup.sh native
echo "== building the command-line tool (build/native-tool)"
cmake --preset native-tool >/dev/null
cmake --build --preset native-tool --target tenrovel

demo=build/demo
mkdir -p "$demo"
sim=tools/bank_simulator/bank_simulator.py
python3 "$sim" --daemon --port-file "$demo/simulator.port" --pid-file "$demo/simulator.pid"
trap 'python3 "$sim" --stop --port-file "$demo/simulator.port" --pid-file "$demo/simulator.pid" >/dev/null 2>&1 || true' EXIT
url="http://127.0.0.1:$(cat "$demo/simulator.port")"

out="$demo/mizuho-sample.csv"
echo "== tenrovel --bank mizuho --pref 01,13 (sample data from the bundled simulator at $url)"
status=0
TENROVEL_MIZUHO_URL="$url" TENROVEL_DELAY_SCALE=0 \
  build/native-tool/src/app/cli/tenrovel --bank mizuho --pref 01,13 -o "$out" --force || status=$?
echo "== exit code $status; the first rows of $out (CP932, shown as UTF-8):"
# head reads the file and iconv reads head to its end: no writer meets a
# closed pipe, so pipefail never sees SIGPIPE.
head -n 6 "$out" | iconv -f CP932 -t UTF-8
exit "$status"
