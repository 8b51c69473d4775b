#!/usr/bin/env python3
"""Runs the conformance corpus through the engine (regex-probe) and through
PCRE2 (16-bit, UTF + UCP) and lists the cases whose answers differ. Not part
of the test command; needs Debian's libpcre2-16-0 (apt-get install
libpcre2-16-0, or libpcre2-dev).

    tools/regex/compare_pcre2.py [--probe PATH] [--first-only] [--show-skipped] [FILES...]

FILES default to tests/regex/corpus/*.txt. Each case runs as the corpus
runner runs it (the first match, or all with the mode g); both engines walk
the matches the way Exec/ExecNext do (see pcre2_16.py). A case is compared
on its matches and groups, or, when either side rejects the pattern, on
whether both do. Cases that cannot be compared (options w k l, callouts,
step budgets, lone surrogates) are counted as skipped. Differences in cases whose line is preceded
by a "# not PCRE2: ..." comment are by design and listed only with
--show-marked. Exits 1 if any other case differs.
"""

import argparse
import collections
import json
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import corpus_reader  # noqa: E402
import pcre2_16  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]


class Probe:
    """One regex-probe process answering one request at a time."""

    def __init__(self, path):
        self.proc = subprocess.Popen([str(path)], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def ask(self, pattern, options, subject, all_matches):
        request = json.dumps({"pattern": pattern, "options": options, "subject": subject,
                              "all": all_matches})
        self.proc.stdin.write(request.encode() + b"\n")
        self.proc.stdin.flush()
        answer = json.loads(self.proc.stdout.readline())
        return answer["error"], answer["matches"]

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


def to_json_text(units):
    """A str of UTF-16 code units -> the str json.dumps writes as those units
    (pairs joined, lone surrogates kept as \\uXXXX)."""
    data = b"".join(ord(u).to_bytes(2, "little") for u in units)
    return data.decode("utf-16-le", "surrogatepass")


def show(value):
    """JSON for the terminal: lone surrogates as \\uXXXX, the rest as it is."""
    text = json.dumps(value, ensure_ascii=False)
    return "".join("\\u%04X" % ord(c) if 0xD800 <= ord(c) <= 0xDFFF else c for c in text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--probe", default=ROOT / "build/native-debug/tools/regex/regex-probe")
    parser.add_argument("--show-skipped", action="store_true")
    parser.add_argument("--show-marked", action="store_true",
                        help="also list differences the corpus marks '# not PCRE2'")
    parser.add_argument("files", nargs="*", type=pathlib.Path)
    args = parser.parse_args()
    files = args.files or sorted((ROOT / "tests/regex/corpus").glob("*.txt"))
    probe = Probe(args.probe)
    counts = collections.Counter()
    for case in corpus_reader.read_cases(files):
        where = "%s:%d" % (case.file.name, case.line)
        # Step budgets (L) have no equivalent; callouts fail in regex-probe,
        # which has no handler, where PCRE2 goes on.
        options = case.options
        why = None
        if "L" in case.modes:
            why = "step budget"
        elif "a" in options or "(?C" in case.pattern:
            why = "callouts"
        all_matches = "g" in case.modes
        try:
            if why:
                raise pcre2_16.Unsupported(why)
            pcre_error, pcre_matches = pcre2_16.search_all(
                case.pattern, options, case.subject, all_matches)
        except pcre2_16.Unsupported as why:
            counts["skipped"] += 1
            if args.show_skipped:
                print("skipped %s (%s)" % (where, why))
            continue
        ours_error, ours_matches = probe.ask(to_json_text(case.pattern), options,
                                             to_json_text(case.subject), all_matches)
        if ours_error is not None or pcre_error is not None:
            agree = (ours_error is None) == (pcre_error is None)
        else:
            agree = ours_matches == pcre_matches
        if agree:
            counts["same"] += 1
            if case.not_pcre2:
                # A mark that no longer describes a difference.
                counts["marked but same"] += 1
                if args.show_marked:
                    print("%s: marked '# not PCRE2' but the same" % where)
            continue
        counts["marked" if case.not_pcre2 else "different"] += 1
        if case.not_pcre2 and not args.show_marked:
            continue
        print("%s%s: %s /%s on %s" % (where, " (marked)" if case.not_pcre2 else "",
                                       show(to_json_text(case.pattern)), case.options,
                                       show(to_json_text(case.subject))))
        print("    ours:  %s" % (ours_error if ours_error is not None else show(ours_matches)))
        print("    PCRE2: %s" % (pcre_error if pcre_error is not None else show(pcre_matches)))
    probe.close()
    print("%d same (%d of them marked '# not PCRE2'), %d different, "
          "%d different as marked, %d skipped"
          % (counts["same"], counts["marked but same"], counts["different"], counts["marked"],
             counts["skipped"]))
    return 1 if counts["different"] else 0


if __name__ == "__main__":
    sys.exit(main())
