"""Feeds requests.jsonl (beside this file) to regex-probe and compares its
answers, line by line, with answers.jsonl.

    python3 check_probe.py [EMULATOR ...] PROBE
"""
import os
import pathlib
import subprocess
import sys

here = pathlib.Path(__file__).parent
requests = (here / "requests.jsonl").read_bytes()
expected = (here / "answers.jsonl").read_bytes().decode("utf-8").splitlines()
# A small step budget reaches the run-time error of the last request fast.
env = dict(os.environ, REGEX_PROBE_STEP_LIMIT="100000")
run = subprocess.run(sys.argv[1:], input=requests, capture_output=True, timeout=240, env=env)
if run.returncode != 0:
    sys.exit("regex-probe failed with %d: %s" % (run.returncode, run.stderr.decode(errors="replace")))
# The Windows build writes CR LF.
actual = run.stdout.decode("utf-8").replace("\r\n", "\n").splitlines()
lines = requests.decode("utf-8").splitlines()
if len(expected) != len(lines):
    sys.exit("%d requests but %d expected answers" % (len(lines), len(expected)))
failures = 0
for number, (request, want) in enumerate(zip(lines, expected), 1):
    got = actual[number - 1] if number <= len(actual) else "(no answer)"
    if got != want:
        failures += 1
        print("line %d: %s\n  expected %s\n  got      %s" % (number, request, want, got))
if len(actual) != len(expected):
    failures += 1
    print("%d answers to %d requests" % (len(actual), len(expected)))
print("%d passed, %d failed" % (len(expected) - failures, failures))
sys.exit(1 if failures else 0)
