#!/usr/bin/env bash
# Builds the regex engine's libFuzzer harness with clang (AddressSanitizer and
# UBSan) and runs it for SECONDS on one core, seeded from the conformance
# corpus. Not part of the test command.
#
#   tools/fuzz/run_regex_fuzz.sh SECONDS
#
# Leaves in build/fuzz-regex/: the harness, the grown corpus (corpus/), every
# finding in findings/ (a crash, a failed check, a sanitizer report, an input
# over 100 ms of CPU time; the reports in fuzz.log; ./regex_fuzz FILE runs
# one again) and slowest.jsonl, the ten slowest inputs met, as regex-probe
# requests with their time in ms (regex-probe replays a line as it is; see
# tools/regex/README.md). Prints the executions and the findings; exits 1
# when there is a finding.
set -euo pipefail
seconds=${1:?usage: run_regex_fuzz.sh SECONDS}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out="$root/build/fuzz-regex"
mkdir -p "$out/obj" "$out/corpus" "$out/seeds"

cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=undefined -I "$root/src" -Wall -Wextra -Wpedantic -Werror)

# The engine's sources and those of the text layer it reads its tables from;
# each object is rebuilt only when its source is newer.
sources=("$root"/src/regex/*.cpp "$root/tools/regex/probe_json.cpp")
[ -d "$root/src/text" ] && sources+=("$root"/src/text/*.cpp)
objects=()
for src in "${sources[@]}"; do
  obj="$out/obj/$(basename "${src%.cpp}").o"
  objects+=("$obj")
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find "$root/src/regex" "$root/src/text" -name '*.h' -newer "$obj" 2>/dev/null | head -1)" ]; then
    echo "compiling $(basename "$src")"
    nice "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
done
echo "linking regex_fuzz"
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tools/fuzz/regex_fuzz.cpp" "${objects[@]}" \
  -o "$out/regex_fuzz"

# Seeds: every case of the conformance corpus as options, pattern, NUL, subject.
python3 "$root/tools/regex/corpus_seeds.py" "$root/tests/regex/corpus" "$out/seeds"

# Fork mode: the harness runs in one child process after another, so that a
# finding (kept in findings/) does not end the run. -timeout catches a
# hang; the harness itself aborts on an input over 100 ms of CPU time.
rm -rf "$out/findings.previous"
[ -d "$out/findings" ] && mv "$out/findings" "$out/findings.previous"
mkdir -p "$out/findings"
cd "$out"
REGEX_FUZZ_SLOWEST="$out/slowest.jsonl" nice ./regex_fuzz \
  -dict="$root/tools/fuzz/regex.dict" -max_total_time="$seconds" -max_len=4096 \
  -timeout=2 -rss_limit_mb=2048 -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
  -artifact_prefix="$out/findings/" corpus seeds >fuzz.log 2>&1 || true

# Each finding run once more on its own, for its report: the harness's own
# message (a slow input, a failed check) or the sanitizer's.
slow=0 checks=0 sanitizer=0 other=0
for finding in findings/*; do
  [ -f "$finding" ] || continue
  case "$finding" in *.log) continue ;; esac
  ./regex_fuzz "$finding" >"$finding.log" 2>&1 || true
  if grep -q '^regex_fuzz: slow input' "$finding.log"; then slow=$((slow + 1))
  elif grep -q '^regex_fuzz: ' "$finding.log"; then checks=$((checks + 1))
  elif grep -q 'ERROR: AddressSanitizer\|runtime error:\|ERROR: LeakSanitizer' "$finding.log"; then
    sanitizer=$((sanitizer + 1))
  else other=$((other + 1)); fi
done
executions=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' fuzz.log | tail -1)
findings=$((slow + checks + sanitizer + other))
echo "run_regex_fuzz: ${executions:-?} executions in $seconds s, $findings findings" \
  "($slow slow inputs, $checks failed checks, $sanitizer sanitizer reports, $other other:" \
  "hangs, out of memory or not reproduced; each with its report in $out/findings/*.log)"
echo "run_regex_fuzz: the ten slowest inputs are in $out/slowest.jsonl"
[ "$findings" -eq 0 ]
