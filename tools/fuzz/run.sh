#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tools/fuzz (clang, AddressSanitizer and
# UBSan, in build/fuzz) and runs each one for SECONDS on one core, one after
# the other, seeded from the bank simulator's fixtures and tools/fuzz/seeds,
# with the answers' markers as a dictionary. Prints one line per harness;
# exits 1 when any harness found something (the inputs are kept in
# build/fuzz/findings). Not part of the test suite.
#
#   tools/fuzz/run.sh SECONDS [HARNESS...]
set -euo pipefail
seconds=${1:?usage: tools/fuzz/run.sh SECONDS [HARNESS...]}
shift
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="$root/build/fuzz"
here="$root/tools/fuzz"

sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" \
  -DTENROVEL_BUILD_TESTS=OFF -DTENROVEL_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target tenrovel_fuzzers >/dev/null

if [ $# -eq 0 ]; then
  set -- $(cd "$here" && ls *_fuzz.cpp | sed 's/\.cpp$//')
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
found=0
for name in "$@"; do
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings" "$build/logs"
  seeds=("$root/tools/bank_simulator/fixtures/mizuho" "$root/tools/bank_simulator/fixtures/mufg")
  [ -d "$here/seeds/$name" ] && seeds+=("$here/seeds/$name")
  # A harness with a dictionary of its own (regex_fuzz: regex.dict) uses it.
  dict="$here/tenrovel.dict"
  [ -f "$here/${name%_fuzz}.dict" ] && dict="$here/${name%_fuzz}.dict"
  log="$build/logs/$name.log"
  before=$(ls "$findings" | wc -l)
  # A harness stops at its first finding and leaves the input behind.
  "$build/tools/fuzz/$name" -max_total_time="$seconds" -dict="$dict" \
    -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  new=$(( $(ls "$findings" | wc -l) - before ))
  [ "$new" -gt 0 ] && found=1
  printf '%-22s %12s executions, %d findings\n' "$name" "${executions:-?}" "$new"
done
exit $found
