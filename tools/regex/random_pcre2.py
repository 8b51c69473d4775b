#!/usr/bin/env python3
"""Random differential test of the engine against PCRE2: generates patterns
from the part of the syntax both engines read alike, and short subjects over
a small alphabet, runs them through regex-probe and PCRE2 (all matches, as
Exec/ExecNext walk them) and prints each case whose answers differ, ready to
paste into the conformance corpus. Not part of the test command.

    tools/regex/random_pcre2.py [--probe PATH] [--count N] [--seed S]

Exits 1 if any case differs. Known differences by design are not generated
(counts above 32767, callouts, width/kana folding, lone surrogates, verbs,
\Z) or not counted (the compile errors in BY_DESIGN).
"""

import argparse
import json
import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import pcre2_16  # noqa: E402
from compare_pcre2 import ROOT, Probe  # noqa: E402

ALPHABET = "abc \n-\u00e9\U0001F600"
# Not \Z: it allows any number of final line breaks here, one in PCRE2.
ATOMS = ["a", "b", "c", "ab", ".", "\\d", "\\w", "\\s", "\\W", "[ab]", "[^a]", "[a-c]",
         "\\b", "\\B", "^", "$", "\\A", "\\z", "-", "\\x{1F600}", "\u00e9", "[[:alpha:]]",
         "\\p{L}", "\\P{Ll}", "(?:)"]
QUANTIFIERS = ["*", "+", "?", "{2}", "{1,2}", "{0,3}", "{2,}"]
SUFFIXES = ["", "", "?", "+"]
OPTIONS = ["", "", "i", "m", "s", "x", "im", "n"]
# Compile errors where PCRE2 accepts the pattern, by design: numbered
# references under NamedGroupOnly, and repeating what can only match empty;
# PCRE2 rejects repeated names, which the engine allows.
BY_DESIGN = ("グループ番号では参照できません", "長さゼロの繰り返しはできません",
             "先読みでの繰り返しは指定できません",
             # A call that may recurse without consuming is refused when compiled.
             "終了しないかもしない再帰があります")


class Generator:
    def __init__(self, rng):
        self.rng = rng
        self.groups = 0

    def atom(self, depth):
        r = self.rng.random()
        if depth < 2 and r < 0.3:
            kind = self.rng.choice(["(", "(?:", "(?>", "(?=", "(?!", "(?<n%d>"])
            if kind == "(?<n%d>":
                kind = kind % self.rng.randrange(1000)
            if kind.startswith("(") and not kind.startswith("(?") or kind.startswith("(?<n"):
                self.groups += 1
            return kind + self.alternation(depth + 1) + ")"
        if depth < 2 and r < 0.35:
            # Lookbehind of fixed-length alternatives.
            body = "|".join(self.rng.choice(["a", "b", "ab", ".", "\\d", "[ac]"])
                            for _ in range(self.rng.randint(1, 2)))
            return self.rng.choice(["(?<=", "(?<!"]) + body + ")"
        if self.groups and r < 0.42:
            return "\\%d" % self.rng.randint(1, self.groups)
        if self.groups and r < 0.47:
            return "(?%d)" % self.rng.randint(1, self.groups)
        return self.rng.choice(ATOMS)

    def item(self, depth):
        text = self.atom(depth)
        # A quantifier only on what both engines allow to repeat.
        if (self.rng.random() < 0.35 and text not in ("^", "$", "\\A", "\\z", "\\b", "\\B")
                and not text.startswith(("(?=", "(?!", "(?<=", "(?<!"))):
            text += self.rng.choice(QUANTIFIERS) + self.rng.choice(SUFFIXES)
        return text

    def sequence(self, depth):
        return "".join(self.item(depth) for _ in range(self.rng.randint(1, 3)))

    def alternation(self, depth):
        return "|".join(self.sequence(depth) for _ in range(self.rng.choice([1, 1, 2, 3])))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--probe", default=ROOT / "build/native-debug/tools/regex/regex-probe")
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    probe = Probe(args.probe)
    differ = errors = by_design = 0
    for _ in range(args.count):
        pattern = Generator(rng).alternation(0)
        options = rng.choice(OPTIONS)
        subject = "".join(rng.choice(ALPHABET) for _ in range(rng.randint(0, 12)))
        units_p, units_s = pcre2_16.code_units(pattern), pcre2_16.code_units(subject)
        try:
            pcre_error, pcre_matches = pcre2_16.search_all(units_p, options, units_s)
        except pcre2_16.Unsupported:
            # A match-time error of PCRE2's own (its match limit, a
            # recursion it refuses): nothing to compare.
            by_design += 1
            continue
        ours_error, ours_matches = probe.ask(pattern, options, subject, True)
        if ((ours_error is not None and any(m in ours_error for m in BY_DESIGN))
                or (pcre_error is not None and "same name" in pcre_error)):
            by_design += 1
            continue
        if pcre_error is not None or ours_error is not None:
            if (pcre_error is None) != (ours_error is None):
                differ += 1
                print("%s\t%s\t%s\t# ours: %s; PCRE2: %s" % (
                    pattern, options or "-", json.dumps(subject)[1:-1],
                    ours_error or json.dumps(ours_matches), pcre_error or json.dumps(pcre_matches)))
            else:
                errors += 1
            continue
        if ours_matches != pcre_matches:
            differ += 1
            print("%s\t%s\tg\t%s\t# ours: %s; PCRE2: %s" % (
                pattern, options or "-", json.dumps(subject, ensure_ascii=False)[1:-1],
                json.dumps(ours_matches), json.dumps(pcre_matches)))
    probe.close()
    print("%d cases: %d different, %d rejected by both, %d rejected by design"
          % (args.count, differ, errors, by_design))
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
