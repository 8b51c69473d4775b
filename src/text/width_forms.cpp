// The kana table with its voiced and semi-voiced compositions, and the
// table of half-width spellings read off them when the program is compiled.
#include "text/width_forms.h"

#include <array>

namespace tenrovel::text {

namespace {

constexpr char16_t kFirstHalfWidth = 0xFF61;

// Full-width forms of U+FF61..U+FF9F, in that order.
constexpr char16_t kKanaFullWidth[0x3F] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};

constexpr char16_t FullWidthOf(char16_t half) {
  return kKanaFullWidth[half - kFirstHalfWidth];
}

constexpr char16_t Compose(char16_t half, char16_t mark) {
  // In the full-width block the voiced form follows its base, the
  // semi-voiced one comes second: カ ガ, ハ バ パ.
  const bool ka_to = half >= 0xFF76 && half <= 0xFF84;  // ｶ..ﾄ
  const bool ha_ho = half >= 0xFF8A && half <= 0xFF8E;  // ﾊ..ﾎ
  if (mark == kHalfWidthVoicedMark) {
    if (half == 0xFF73)
      return 0x30F4;  // ｳﾞ -> ヴ
    if (half == 0xFF9C)
      return 0x30F7;  // ﾜﾞ -> ヷ (not in CP932, so CP932 text gets "?")
    if (half == 0xFF66)
      return 0x30FA;  // ｦﾞ -> ヺ (likewise)
    if (ka_to || ha_ho)
      return static_cast<char16_t>(FullWidthOf(half) + 1);
  } else if (mark == kHalfWidthSemiVoicedMark && ha_ho) {
    return static_cast<char16_t>(FullWidthOf(half) + 2);
  }
  return 0;
}

// Every full-width form lies in U+3000..U+30FF; its half-width spelling,
// read off the two mappings above.
constexpr char16_t kFirstFullWidth = 0x3000;
constexpr auto kHalfWidthOf = [] {
  std::array<HalfWidthKanaForm, 0x100> table{};
  for (char16_t half = kFirstHalfWidth; half <= 0xFF9F; ++half) {
    table[FullWidthOf(half) - kFirstFullWidth] = {half, 0};
    for (const char16_t mark : {kHalfWidthVoicedMark, kHalfWidthSemiVoicedMark}) {
      if (const char16_t composed = Compose(half, mark); composed != 0)
        table[composed - kFirstFullWidth] = {half, mark};
    }
  }
  return table;
}();

}  // namespace

char16_t FullWidthKana(char16_t half) {
  return IsHalfWidthKana(half) ? FullWidthOf(half) : 0;
}

char16_t ComposeHalfWidthKana(char16_t half, char16_t mark) {
  return IsHalfWidthKana(half) ? Compose(half, mark) : 0;
}

HalfWidthKanaForm HalfWidthKana(char16_t full) {
  if (full < kFirstFullWidth || full >= kFirstFullWidth + kHalfWidthOf.size())
    return {};
  return kHalfWidthOf[full - kFirstFullWidth];
}

std::u16string ToFullWidthForms(std::u16string_view utf16) {
  std::u16string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (const char16_t ascii = FullWidthAscii(unit); ascii != 0) {
      out.push_back(ascii);
    } else if (IsHalfWidthKana(unit)) {
      const char16_t composed = i + 1 < utf16.size() ? Compose(unit, utf16[i + 1]) : 0;
      out.push_back(composed != 0 ? composed : FullWidthOf(unit));
      if (composed != 0)
        ++i;
    } else {
      out.push_back(unit);
    }
  }
  return out;
}

}  // namespace tenrovel::text
