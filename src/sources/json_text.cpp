#include "sources/json_text.h"

#include "platform/codepage.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of a "\uXXXX" escape at `pos`, or -1.
int UnicodeEscapeAt(std::string_view text, std::size_t pos) {
  if (text.size() - pos < 6 || text[pos] != '\\' || text[pos + 1] != 'u')
    return -1;
  int unit = 0;
  for (std::size_t k = pos + 2; k < pos + 6; ++k) {
    const int digit = HexValue(text[k]);
    if (digit < 0)
      return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

}  // namespace

std::string RemoveUnescapedQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = text::CharLengthAt(text, i);
    if (text[i] == '\\' && i + 1 < text.size())
      len = 1 + text::CharLengthAt(text, i + 1);
    if (text[i] != '"')
      out.append(text, i, len);
    i += len;
  }
  return out;
}

std::string DecodeJsonEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      const std::size_t len = text::CharLengthAt(text, i);
      out.append(text, i, len);
      i += len;
      continue;
    }
    if (UnicodeEscapeAt(text, i) >= 0) {
      // A run of \u escapes is converted together, so that a surrogate pair
      // reaches the conversion as one character.
      std::u16string units;
      for (int unit; (unit = UnicodeEscapeAt(text, i)) >= 0; i += 6) {
        // A control character would break the row or the line, as \n would.
        const bool control = unit < 0x20 || unit == 0x7F;
        units.push_back(control ? u' ' : static_cast<char16_t>(unit));
      }
      out += platform::Utf16ToCp932(units);
      continue;
    }
    switch (text[i + 1]) {
      case '"':
      case '\\':
      case '/':
        out += text[i + 1];
        i += 2;
        break;
      case 'n':
      case 'r':
      case 't':
      case 'b':
      case 'f':
        out += ' ';
        i += 2;
        break;
      default:
        out += '\\';  // not an escape: keep the backslash and go on
        ++i;
        break;
    }
  }
  return out;
}

}  // namespace tenrovel::sources
