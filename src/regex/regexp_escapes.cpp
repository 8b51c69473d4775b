// DecodeEscape, EncodeEscape and EscapeRegExChars: the three text helpers of
// TRegExp that translate backslash sequences without compiling anything.
#include "regex/regex_messages.h"
#include "regex/regex_utf.h"
#include "regex/regexp.h"
#include "regex/unicode_properties.h"

#include <algorithm>
#include <stdexcept>

#include <string>
#include <string_view>

namespace tenrovel::regex {
namespace {

constexpr std::u16string_view kMarker = u" <-- ";

bool IsOctalDigit(char16_t c) {
  return c >= u'0' && c <= u'7';
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') {
    return c - u'0';
  }
  if (c >= u'a' && c <= u'f') {
    return c - u'a' + 10;
  }
  if (c >= u'A' && c <= u'F') {
    return c - u'A' + 10;
  }
  return -1;
}

// The messages quote the text up to and including the offending character
// (all of it when the text ends too early) and point at it.
std::u16string Quote(std::u16string_view s, std::size_t offending) {
  std::u16string text(s.substr(0, offending + 1));
  text += kMarker;
  return text;
}

enum class DecodeFault { kBadControl, kBracedHex, kMissingBrace, kTwoDigitHex, kCodePointRange };

[[noreturn]] void ThrowDecodeError(DecodeFault fault, std::u16string_view s,
                                   std::size_t offending) {
  const std::u16string text = Quote(s, offending);
  switch (fault) {
    case DecodeFault::kBadControl:
      throw ERegExp(FormatMessage(sInvalidEscapeCharacterSyntax, text));
    case DecodeFault::kBracedHex:
      throw ERegExp(FormatMessage(sHexDigitIsRequired, text));
    case DecodeFault::kCodePointRange:
      throw ERegExp(FormatMessage(sCodePointRangeOver, text));
    case DecodeFault::kMissingBrace:
      // The one plain exception among them, as the callers of the engine's
      // ancestors have always seen it.
      throw std::runtime_error(Utf16ToUtf8(FormatMessage(sMissingRightBraceOnEscx, text)));
    case DecodeFault::kTwoDigitHex:
      throw ERegExpCompile(FormatMessage(sHexDigitIsRequired, text));
  }
  throw std::logic_error("unknown decode fault");
}

// \cX: X in U+0040..U+005F or a-z (taken as upper case), xor 0x40; a
// backslash as X is written twice. Returns the index after the sequence.
std::size_t DecodeControl(std::u16string_view s, std::size_t i, std::u16string& out) {
  const std::size_t x = i + 2;
  if (x >= s.size()) {
    ThrowDecodeError(DecodeFault::kBadControl, s, s.size() - 1);
  }
  char16_t c = s[x];
  if (c == u'\\') {
    if (x + 1 >= s.size() || s[x + 1] != u'\\') {
      ThrowDecodeError(DecodeFault::kBadControl, s, std::min(x + 1, s.size() - 1));
    }
    out.push_back(u'\\' ^ 0x40);
    return x + 2;
  }
  if (c >= u'a' && c <= u'z') {
    c = static_cast<char16_t>(c - u'a' + u'A');
  }
  if (c < 0x40 || c > 0x5F) {
    ThrowDecodeError(DecodeFault::kBadControl, s, x);
  }
  out.push_back(static_cast<char16_t>(c ^ 0x40));
  return x + 1;
}

// \xHH (exactly two digits) or \x{H...} (one to six digits). Returns the
// index after the sequence.
std::size_t DecodeHex(std::u16string_view s, std::size_t i, std::u16string& out) {
  std::size_t j = i + 2;
  if (j < s.size() && s[j] == u'{') {
    ++j;
    char32_t value = 0;
    int digits = 0;
    for (;; ++j) {
      if (j >= s.size()) {
        ThrowDecodeError(DecodeFault::kMissingBrace, s, s.size() - 1);
      }
      if (s[j] == u'}' && digits > 0) {
        break;
      }
      const int digit = HexValue(s[j]);
      if (digit < 0) {
        ThrowDecodeError(DecodeFault::kBracedHex, s, j);
      }
      if (digits == 6) {
        ThrowDecodeError(DecodeFault::kMissingBrace, s, j);
      }
      value = value * 16 + static_cast<char32_t>(digit);
      ++digits;
    }
    // A value beyond Unicode has no UTF-16 form; taking some of its bits
    // would put a different character into the text.
    if (value > 0x10FFFF) {
      ThrowDecodeError(DecodeFault::kCodePointRange, s, j);
    }
    AppendCodePoint(out, value);
    return j + 1;
  }
  char16_t value = 0;
  for (int k = 0; k < 2; ++k, ++j) {
    const int digit = j < s.size() ? HexValue(s[j]) : -1;
    if (digit < 0) {
      ThrowDecodeError(DecodeFault::kTwoDigitHex, s, std::min(j, s.size() - 1));
    }
    value = static_cast<char16_t>(value * 16 + digit);
  }
  out.push_back(value);
  return j;
}

char16_t SimpleEscapeValue(char16_t c) {
  switch (c) {
    case u'a':
      return 0x07;
    case u'e':
      return 0x1B;
    case u'f':
      return 0x0C;
    case u'n':
      return 0x0A;
    case u'r':
      return 0x0D;
    case u't':
      return 0x09;
    default:
      return 0;
  }
}

// The escape letter EncodeEscape writes for a control character, or 0.
char16_t EscapeLetterOf(char32_t cp) {
  switch (cp) {
    case 0x07:
      return u'a';
    case 0x09:
      return u't';
    case 0x0A:
      return u'n';
    case 0x0C:
      return u'f';
    case 0x0D:
      return u'r';
    case 0x1B:
      return u'e';
    default:
      return 0;
  }
}

bool IsWhiteSpace(char32_t cp) {
  return (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || GetUnicodeGeneralCategory(cp) == upZ;
}

// Characters a reader cannot see: controls, unassigned code points and
// surrogates, except the white space that shows as such.
bool IsInvisible(char32_t cp) {
  if (cp == 0x0B || cp == 0x85 || IsWhiteSpace(cp)) {
    return false;
  }
  const TUnicodeProperty category = GetUnicodeCategory(cp);
  return category == upCc || category == upCn || category == upCs;
}

void AppendHexEscape(std::u16string& out, char32_t cp) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out += u"\\x{";
  std::u16string digits;
  do {
    digits.insert(digits.begin(), kHex[cp & 0xF]);
    cp >>= 4;
  } while (cp != 0);
  out += digits;
  out.push_back(u'}');
}

}  // namespace

std::u16string TRegExp::DecodeEscape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] != u'\\') {
      out.push_back(s[i++]);
      continue;
    }
    // A backslash that ends the text has nothing to escape and stays.
    if (i + 1 == s.size()) {
      out.push_back(u'\\');
      break;
    }
    const char16_t c = s[i + 1];
    if (c >= u'0' && c <= u'3') {
      char16_t value = 0;
      std::size_t j = i + 1;
      for (int k = 0; k < 3 && j < s.size() && IsOctalDigit(s[j]); ++k, ++j) {
        value = static_cast<char16_t>(value * 8 + (s[j] - u'0'));
      }
      out.push_back(value);
      i = j;
    } else if (const char16_t value = SimpleEscapeValue(c); value != 0) {
      out.push_back(value);
      i += 2;
    } else if (c == u'c') {
      i = DecodeControl(s, i, out);
    } else if (c == u'x') {
      i = DecodeHex(s, i, out);
    } else {
      out.push_back(c);
      i += 2;
    }
  }
  return out;
}

std::u16string TRegExp::EncodeEscape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  const int end = static_cast<int>(s.size());
  for (int i = 0; i < end;) {
    int units = 1;
    const char32_t cp = ReadCodePoint(s.data(), i, end, units);
    if (const char16_t letter = EscapeLetterOf(cp); letter != 0) {
      out.push_back(u'\\');
      out.push_back(letter);
    } else if (IsInvisible(cp)) {
      AppendHexEscape(out, cp);
    } else {
      out.append(s.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(units)));
    }
    i += units;
  }
  return out;
}

std::u16string TRegExp::EscapeRegExChars(std::u16string_view s) {
  constexpr std::u16string_view kSpecial = u"$()*+.?[\\]^{|}";
  std::u16string out;
  out.reserve(s.size() + s.size() / 4);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == 0) {
      // The lexer reads up to three octal digits after \0, so a digit that
      // follows would join the NUL; three zeros end the escape.
      const bool digit_follows = i + 1 < s.size() && IsOctalDigit(s[i + 1]);
      out += digit_follows ? u"\\000" : u"\\0";
    } else {
      if (kSpecial.find(c) != std::u16string_view::npos) {
        out.push_back(u'\\');
      }
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace tenrovel::regex
