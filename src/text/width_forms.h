// Half-width and full-width forms of Japanese text, in UTF-16 code units, as
// Windows' LCMAP_FULLWIDTH maps them under the Japanese locale. The tables
// behind the full-width mapping of the platform layer (POSIX) and behind the
// width folding of the regular-expression engine.
//
//   ASCII        U+0020 space <-> U+3000; U+0021..U+007E <-> U+FF01..U+FF5E
//   kana         U+FF61..U+FF9F half-width katakana, punctuation and the
//                marks ﾞ (U+FF9E) and ﾟ (U+FF9F) -> one full-width character
//                each: ｱ -> ア, ｧ -> ァ, ｰ -> ー, ｡ -> 。, ﾞ -> ゛ (U+309B)
//   voiced pairs a half-width kana followed by ﾞ or ﾟ -> one composed
//                character where one exists: ｶﾞ -> ガ, ﾊﾟ -> パ, ｳﾞ -> ヴ,
//                ﾜﾞ -> ヷ, ｦﾞ -> ヺ; any other pair maps unit by unit (ｱﾞ -> ア゛)
//
// Every full-width form has exactly one half-width spelling, so the tables
// read both ways. Hiragana, kanji and the katakana without a half-width form
// (ヰ, ヱ, ヮ, ヵ, ヶ, ...) have none.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::text {

inline constexpr char16_t kHalfWidthVoicedMark = 0xFF9E;      // ﾞ
inline constexpr char16_t kHalfWidthSemiVoicedMark = 0xFF9F;  // ﾟ

// U+FF61..U+FF9F: the half-width katakana, their punctuation and marks.
constexpr bool IsHalfWidthKana(char16_t unit) {
  return unit >= 0xFF61 && unit <= 0xFF9F;
}

// The full-width form of an ASCII character (space and U+0021..U+007E), or 0.
constexpr char16_t FullWidthAscii(char16_t unit) {
  if (unit == 0x20)
    return 0x3000;
  return unit >= 0x21 && unit <= 0x7E ? static_cast<char16_t>(unit + 0xFEE0) : 0;
}
// The ASCII character of a full-width one (U+3000, U+FF01..U+FF5E), or 0.
constexpr char16_t HalfWidthAscii(char16_t unit) {
  if (unit == 0x3000)
    return 0x20;
  return unit >= 0xFF01 && unit <= 0xFF5E ? static_cast<char16_t>(unit - 0xFEE0) : 0;
}

// The full-width form of a half-width kana unit on its own, or 0 when
// `half` is not one (IsHalfWidthKana).
char16_t FullWidthKana(char16_t half);

// The composed full-width character of a half-width kana followed by ﾞ or
// ﾟ, or 0 when the pair does not compose (then each unit maps on its own).
char16_t ComposeHalfWidthKana(char16_t half, char16_t mark);

// The half-width spelling of a full-width character: one unit, or a base
// and a mark (ガ -> ｶ + ﾞ). `base` is 0 when there is none.
struct HalfWidthKanaForm {
  char16_t base = 0;
  char16_t mark = 0;  // 0, kHalfWidthVoicedMark or kHalfWidthSemiVoicedMark
};
HalfWidthKanaForm HalfWidthKana(char16_t full);

// The whole mapping: ASCII and half-width kana become full-width, voiced
// pairs compose, every other unit stays.
std::u16string ToFullWidthForms(std::u16string_view utf16);

}  // namespace tenrovel::text
