"""PCRE2's 16-bit library (UTF + UCP) through ctypes, for comparing the
engine's answers with another engine's. Needs libpcre2-16-0 (Debian), which
the product never links.

search_all(pattern, letters, subject) walks the matches the way TRegExp's
Exec/ExecNext do: after a match ending at e the next search starts at e, after
an empty match at p it starts one character later; each search sees the whole
subject, so lookbehind and \\b look across the start. The result has
regex-probe's shape: (error or None, [[[index, length] | None, ...], ...]) with
1-based UTF-16 positions.
"""

import ctypes
import ctypes.util

PCRE2_CASELESS = 0x00000008
PCRE2_DOTALL = 0x00000020
PCRE2_EXTENDED = 0x00000080
PCRE2_MULTILINE = 0x00000400
PCRE2_NO_AUTO_CAPTURE = 0x00002000
PCRE2_UCP = 0x00020000
PCRE2_UTF = 0x00080000
PCRE2_ERROR_NOMATCH = -1
PCRE2_UNSET = ctypes.c_size_t(-1).value

# Option letters PCRE2 has an equivalent of. The others (w k l a: width and
# kana folding, the ASCII sense of \d \w \s \b, automatic callouts, which fail
# without a handler here) make a case incomparable.
LETTERS = {
    "i": PCRE2_CASELESS,
    "m": PCRE2_MULTILINE,
    "s": PCRE2_DOTALL,
    "x": PCRE2_EXTENDED,
    "n": PCRE2_NO_AUTO_CAPTURE,
}


class Unsupported(Exception):
    """The case uses something PCRE2 cannot be asked."""


def _load():
    name = ctypes.util.find_library("pcre2-16") or "libpcre2-16.so.0"
    lib = ctypes.CDLL(name)
    lib.pcre2_compile_16.restype = ctypes.c_void_p
    lib.pcre2_compile_16.argtypes = [
        ctypes.c_void_p, ctypes.c_size_t, ctypes.c_uint32,
        ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_size_t), ctypes.c_void_p]
    lib.pcre2_match_data_create_from_pattern_16.restype = ctypes.c_void_p
    lib.pcre2_match_data_create_from_pattern_16.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    lib.pcre2_match_16.restype = ctypes.c_int
    lib.pcre2_match_16.argtypes = [
        ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t, ctypes.c_size_t,
        ctypes.c_uint32, ctypes.c_void_p, ctypes.c_void_p]
    lib.pcre2_get_ovector_pointer_16.restype = ctypes.POINTER(ctypes.c_size_t)
    lib.pcre2_get_ovector_pointer_16.argtypes = [ctypes.c_void_p]
    lib.pcre2_pattern_info_16.restype = ctypes.c_int
    lib.pcre2_pattern_info_16.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_void_p]
    lib.pcre2_get_error_message_16.restype = ctypes.c_int
    lib.pcre2_get_error_message_16.argtypes = [ctypes.c_int, ctypes.c_void_p, ctypes.c_size_t]
    lib.pcre2_code_free_16.argtypes = [ctypes.c_void_p]
    lib.pcre2_match_data_free_16.argtypes = [ctypes.c_void_p]
    return lib


_lib = None


def _units(text):
    """A Python str whose characters are UTF-16 code units (0..0xFFFF) as a
    ctypes array."""
    data = [ord(c) for c in text]
    return (ctypes.c_uint16 * max(1, len(data)))(*data), len(data)


def _error_message(code):
    buf = (ctypes.c_uint16 * 256)()
    n = _lib.pcre2_get_error_message_16(code, buf, 256)
    return "".join(chr(buf[i]) for i in range(max(0, n)))


def _is_high(u):
    return 0xD800 <= u <= 0xDBFF


def _is_low(u):
    return 0xDC00 <= u <= 0xDFFF


def has_lone_surrogate(units):
    i = 0
    while i < len(units):
        u = ord(units[i])
        if _is_high(u) and i + 1 < len(units) and _is_low(ord(units[i + 1])):
            i += 2
            continue
        if _is_high(u) or _is_low(u):
            return True
        i += 1
    return False


def search_all(pattern, letters, subject, all_matches=True):
    """pattern and subject are str of UTF-16 code units (see code_units)."""
    global _lib
    if _lib is None:
        _lib = _load()
    options = PCRE2_UTF | PCRE2_UCP
    for letter in letters:
        if letter not in LETTERS:
            raise Unsupported("option " + letter)
        options |= LETTERS[letter]
    if has_lone_surrogate(pattern):
        raise Unsupported("lone surrogate in the pattern")
    # PCRE2 does not match a lone surrogate at all, where the engine takes
    # it as a character of its own.
    if has_lone_surrogate(subject):
        raise Unsupported("lone surrogate in the subject")
    pat, plen = _units(pattern)
    err = ctypes.c_int()
    off = ctypes.c_size_t()
    code = _lib.pcre2_compile_16(pat, plen, options, ctypes.byref(err), ctypes.byref(off), None)
    if not code:
        return _error_message(err.value), []
    try:
        count = ctypes.c_uint32()
        _lib.pcre2_pattern_info_16(code, 4, ctypes.byref(count))  # PCRE2_INFO_CAPTURECOUNT
        md = _lib.pcre2_match_data_create_from_pattern_16(code, None)
        try:
            return None, _walk(code, md, count.value, subject, all_matches)
        finally:
            _lib.pcre2_match_data_free_16(md)
    finally:
        _lib.pcre2_code_free_16(code)


def _walk(code, md, groups, subject, all_matches):
    subj, slen = _units(subject)
    matches = []
    start = 0
    while start <= slen:
        rc = _lib.pcre2_match_16(code, subj, slen, start, 0, md, None)
        if rc == PCRE2_ERROR_NOMATCH:
            break
        if rc < 0:
            raise Unsupported("match error %d: %s" % (rc, _error_message(rc)))
        ov = _lib.pcre2_get_ovector_pointer_16(md)
        if ov[0] > ov[1]:
            # \K run inside an assertion (through a call) moved the start
            # after the end; a walk from the end would find it again.
            raise Unsupported("match starts after its end")
        match = []
        for g in range(groups + 1):
            s, e = ov[2 * g], ov[2 * g + 1]
            if g >= rc or s == PCRE2_UNSET:
                match.append(None)
            else:
                match.append([s + 1, e - s])
        matches.append(match)
        if not all_matches:
            break
        end = ov[1]
        if end == ov[0]:
            # One character on, a surrogate pair being one character.
            end += 2 if (end + 1 < slen and _is_high(subj[end]) and _is_low(subj[end + 1])) else 1
        start = end
    return matches


def code_units(text):
    """A str of code points -> a str of UTF-16 code units."""
    data = text.encode("utf-16-le", "surrogatepass")
    return "".join(chr(data[i] | (data[i + 1] << 8)) for i in range(0, len(data), 2))
