#include "app/cli/terminal_width.h"

#include <algorithm>
#include <cstddef>

namespace tenrovel::cli {

namespace {

// The wide ranges of East Asian Width (W and F) that Japanese text uses;
// half-width katakana (U+FF61..U+FF9F) stay narrow.
bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

// The length in bytes of the UTF-8 sequence that starts with `lead`.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0)
    return 4;
  if (lead >= 0xE0)
    return 3;
  if (lead >= 0xC0)
    return 2;
  return 1;
}

char32_t Decode(std::string_view s) {
  const auto b = [&s](std::size_t i) { return static_cast<char32_t>(s[i]) & 0xFF; };
  switch (s.size()) {
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default:
      return b(0);
  }
}

// Walks the characters of `utf8` until the next would pass `columns`;
// returns the bytes taken and adds their columns to `*width`.
std::size_t Take(std::string_view utf8, int columns, int* width) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const int w = IsWide(Decode(utf8.substr(i, n))) ? 2 : 1;
    if (*width + w > columns)
      break;
    *width += w;
    i += n;
  }
  return i;
}

}  // namespace

int DisplayWidth(std::string_view utf8) {
  int width = 0;
  Take(utf8, 1 << 30, &width);
  return width;
}

std::string FitToWidth(std::string_view utf8, int columns) {
  int width = 0;
  return std::string(utf8.substr(0, Take(utf8, columns, &width)));
}

}  // namespace tenrovel::cli
