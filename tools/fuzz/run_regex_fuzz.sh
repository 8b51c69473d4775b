#!/usr/bin/env bash
# Builds the regex engine's libFuzzer harness with clang (AddressSanitizer and
# UBSan) and runs it for SECONDS on one core, seeded from the conformance
# corpus. Not part of the test command.
#
#   tools/fuzz/run_regex_fuzz.sh SECONDS
#
# Leaves in build/fuzz-regex/: the harness, the grown corpus (corpus/), any
# crashing input (crash-*, with the report in fuzz.log) and slowest.jsonl, the
# ten slowest inputs met, as regex-probe requests with their time in ms
# (regex-probe replays a line as it is; see tools/regex/README.md).
set -euo pipefail
seconds=${1:?usage: run_regex_fuzz.sh SECONDS}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out="$root/build/fuzz-regex"
mkdir -p "$out/obj" "$out/corpus" "$out/seeds"

cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=undefined -I "$root/src" -Wall -Wextra)

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
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
done
echo "linking regex_fuzz"
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tools/fuzz/regex_fuzz.cpp" "${objects[@]}" \
  -o "$out/regex_fuzz"

# Seeds: every case of the conformance corpus as options, pattern, NUL, subject.
python3 "$root/tools/regex/corpus_seeds.py" "$root/tests/regex/corpus" "$out/seeds"

cd "$out"
REGEX_FUZZ_SLOWEST="$out/slowest.jsonl" ./regex_fuzz \
  -dict="$root/tools/fuzz/regex.dict" -max_total_time="$seconds" -max_len=1024 \
  -timeout=30 -rss_limit_mb=4096 -report_slow_units=2 -print_final_stats=1 \
  -artifact_prefix="$out/" corpus seeds 2>&1 | tee fuzz.log | grep -v '^#[0-9]*.*\(NEW\|REDUCE\|pulse\)' || true
echo "run_regex_fuzz: $(grep -c . slowest.jsonl 2>/dev/null || echo 0) slowest inputs in $out/slowest.jsonl"
ls "$out"/crash-* "$out"/timeout-* "$out"/oom-* 2>/dev/null && exit 1
exit 0
