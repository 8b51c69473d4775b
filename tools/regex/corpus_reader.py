"""Reads the regex conformance corpus (tests/regex/corpus/*.txt; format in
its README.md) for the tools that replay it elsewhere: PCRE2 comparison and
fuzz seeds. Texts come back as Python str of UTF-16 code units (a lone
surrogate is one element, a pair two), as the engine sees them.
"""

import collections
import re

Case = collections.namedtuple(
    "Case", "file line pattern options modes subject expected not_pcre2")

# Letters of the options field that are runner modes, not engine options.
MODES = "gcL"


def _units_of(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return "".join(chr(data[i] | (data[i + 1] << 8)) for i in range(0, len(data), 2))


def _code_point(value):
    if 0xD800 <= value <= 0xDFFF:
        return chr(value)
    return _units_of(chr(value))


def decode(text, subject):
    """\\u{H...} anywhere; in subjects also \\\\ \\t \\n \\r and \\*N{TEXT}."""
    out = []
    i = 0
    while i < len(text):
        escape = text.find("\\", i)
        end = len(text) if escape < 0 else escape
        out.append(_units_of(text[i:end]))
        i = end
        if i >= len(text):
            break
        if text.startswith("\\u{", i):
            close = text.index("}", i)
            out.append(_code_point(int(text[i + 3:close] or "0", 16)))
            i = close + 1
            continue
        if subject and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt == "*":
                m = re.match(r"\\\*(\d+)\{", text[i:])
                close = text.index("}", i + m.end())
                out.append(decode(text[i + m.end():close], True) * int(m.group(1)))
                i = close + 1
                continue
            simple = {"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}.get(nxt)
            if simple:
                out.append(simple)
                i += 2
                continue
        out.append("\\")
        i += 1
    return "".join(out)


def read_cases(files):
    for path in files:
        previous = ""
        with open(path, encoding="utf-8", newline="") as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip("\n").rstrip("\r")
                if not line or line.startswith("#"):
                    previous = line
                    continue
                fields = line.split("\t", 3)
                not_pcre2 = previous.startswith("# not PCRE2")
                previous = line
                if len(fields) != 4:
                    continue
                letters = "" if fields[1] == "-" else fields[1]
                yield Case(path, number, decode(fields[0], False),
                           "".join(c for c in letters if c not in MODES),
                           "".join(c for c in letters if c in MODES),
                           decode(fields[2], True), fields[3], not_pcre2)
