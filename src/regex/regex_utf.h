// UTF-16 helpers of the engine: reading a character (a surrogate pair as one
// code point, a lone surrogate as itself), stepping back over one, and the
// UTF-8 form of a message for std::exception::what().
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::regex {

inline constexpr bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
inline constexpr bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point at `pos` of `text` (pos < end) and its length in units (1
// or 2). A pair is read only if both halves lie before `end`.
inline char32_t ReadCodePoint(const char16_t* text, int pos, int end, int& length) {
  const char32_t c = text[pos];
  if (IsHighSurrogate(c) && pos + 1 < end && IsLowSurrogate(text[pos + 1])) {
    length = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[pos + 1]) - 0xDC00);
  }
  length = 1;
  return c;
}

// The start of the character that ends at `pos` (pos > begin), never before
// `begin`.
inline int PreviousCodePointStart(const char16_t* text, int begin, int pos) {
  if (pos - 2 >= begin && IsLowSurrogate(text[pos - 1]) && IsHighSurrogate(text[pos - 2])) {
    return pos - 2;
  }
  return pos - 1;
}

// Whether `pos` lies between the two halves of a surrogate pair.
inline bool IsInsidePair(const char16_t* text, int begin, int end, int pos) {
  return pos > begin && pos < end && IsHighSurrogate(text[pos - 1]) && IsLowSurrogate(text[pos]);
}

inline void AppendCodePoint(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

// UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-16 of UTF-8 text (for the fixed messages written as UTF-8 literals);
// malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace tenrovel::regex
