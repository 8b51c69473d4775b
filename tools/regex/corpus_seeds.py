#!/usr/bin/env python3
"""Writes every case of the regex conformance corpus as a seed of the fuzz
harness tools/fuzz/regex_fuzz.cpp: two bytes of option bits, the pattern, a
NUL byte, the subject (UTF-8; lone surrogates encoded as three bytes).

    corpus_seeds.py CORPUS_DIR OUT_DIR
"""
import hashlib
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import corpus_reader  # noqa: E402

# The harness's bit order; bit 15 installs a handler that accepts callouts.
BITS = "imsxnwkla"
CALLOUT_HANDLER = 0x8000


def wtf8(units):
    data = b"".join(ord(u).to_bytes(2, "little") for u in units)
    return data.decode("utf-16-le", "surrogatepass").encode("utf-8", "surrogatepass")


def main():
    corpus, out = map(pathlib.Path, sys.argv[1:3])
    out.mkdir(parents=True, exist_ok=True)
    count = 0
    for case in corpus_reader.read_cases(sorted(corpus.glob("*.txt"))):
        bits = sum(1 << BITS.index(c) for c in case.options if c in BITS)
        if "c" in case.modes:
            bits |= CALLOUT_HANDLER
        data = bits.to_bytes(2, "little") + wtf8(case.pattern) + b"\0" + wtf8(case.subject)
        (out / hashlib.sha1(data).hexdigest()).write_bytes(data)
        count += 1
    print("corpus_seeds: %d seeds in %s" % (count, out))


if __name__ == "__main__":
    main()
