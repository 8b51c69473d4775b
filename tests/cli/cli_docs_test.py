#!/usr/bin/env python3
"""The tool's options and exit codes as --help, the manual page, the bash
completion and the README tell them must agree; and cmake --install puts
the tool, its manual page and its completion where they belong.

Usage: cli_docs_test.py --exe TOOL [--emulator ...] --source-dir DIR
                        --build-dir DIR --installed PATH...
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

OPTION = r"(?<![\w-])(--?[a-z][a-z-]*)"


def section(text, start, end):
    """The text from the line that starts with `start` up to the next line
    that starts with `end` (or the end)."""
    lines = text.splitlines()
    first = next(i for i, line in enumerate(lines) if line.startswith(start))
    rest = lines[first + 1:]
    last = next((i for i, line in enumerate(rest) if line.startswith(end)), len(rest))
    return rest[:last]


def from_help(text):
    options = set()
    for line in section(text, "Options:", "Banks"):
        match = re.match(r"\s+((?:-[a-z],)?--[a-z-]+)", line)
        if match:
            options |= set(re.findall(OPTION, match.group(1)))
    codes = [m.group(1) for line in section(text, "Exit codes:", "Sites")
             for m in [re.match(r"\s+(\d+)\s", line)] if m]
    return options, codes


def from_readme(text):
    part = section(text, "## The command-line tool", "## ")
    options = set()
    for line in part:
        if line.startswith("| `-"):
            options |= set(re.findall(OPTION, line.split("|")[1]))
    codes = [m.group(1) for line in part for m in [re.match(r"\| (\d+) \|", line)] if m]
    return options, codes


def from_manual(text):
    text = text.replace("\\-", "-")
    options = set()
    lines = section(text, ".SH OPTIONS", ".SH ")
    for previous, line in zip(lines, lines[1:]):
        if previous == ".TP":
            options |= set(re.findall(OPTION, re.sub(r"\\f[A-Z]", " ", line)))
    lines = section(text, ".SH EXIT STATUS", ".SH ")
    codes = [line.split()[1] for previous, line in zip(lines, lines[1:])
             if previous == ".TP" and line.startswith(".B ")]
    return options, codes


def from_completion(text):
    lists = re.findall(r'compgen -W "([^"]*--bank[^"]*)"', text)
    return set(re.findall(OPTION, lists[-1]))


def precedence(text):
    return re.search(r"the first of ((?:\d+, )+\d+)", text.replace("\n", " ")).group(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--emulator", nargs="*", default=[])
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--installed", nargs="+", required=True)
    args = parser.parse_args()
    cli = os.path.join(args.source_dir, "src", "app", "cli")

    def read(*path):
        with open(os.path.join(*path), encoding="utf-8") as f:
            return f.read()
    help_text = subprocess.run(args.emulator + [args.exe, "--help"], capture_output=True,
                               check=True).stdout.decode("utf-8")
    readme, manual = read(args.source_dir, "README.md"), read(cli, "tenrovel.1")
    told = {"--help": from_help(help_text), "README.md": from_readme(readme),
            "tenrovel.1": from_manual(manual)}
    failures = []
    options, codes = told["--help"]
    if len(options) < 10 or len(codes) < 10:
        failures.append("--help: too few options or exit codes found: %s %s" % (options, codes))
    for name, (other_options, other_codes) in told.items():
        if other_options != options:
            failures.append("%s: options %s, --help: %s" % (name, sorted(other_options),
                                                          sorted(options)))
        if other_codes != codes:
            failures.append("%s: exit codes %s, --help: %s" % (name, other_codes, codes))
    completion = from_completion(read(cli, "tenrovel.bash-completion"))
    if completion != options:
        failures.append("completion: options %s, --help: %s" % (sorted(completion), sorted(options)))
    orders = {name: precedence(text) for name, text in
              (("--help", help_text), ("README.md", readme), ("tenrovel.1", manual))}
    if len(set(orders.values())) != 1:
        failures.append("the order of exit codes differs: %s" % orders)

    with tempfile.TemporaryDirectory() as prefix:
        subprocess.run(["cmake", "--install", args.build_dir, "--prefix", prefix],
                       check=True, capture_output=True)
        for path in args.installed:
            if not os.path.isfile(os.path.join(prefix, path)):
                failures.append("not installed: " + path)

    for failure in failures:
        print(failure)
    print("%d disagreements" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
