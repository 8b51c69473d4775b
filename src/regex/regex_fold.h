// Character comparison of the engine: how a subject or pattern character is
// read and folded under the compare options.
//
// Takes: UTF-16 text, a position and TRECompareOptions. Gives: the character
// as the comparison sees it (a surrogate pair as one code point; under
// coIgnoreWidth a half-width katakana followed by a half-width voiced or
// semi-voiced mark as the one composed full-width letter, two units) and its
// folded value (full-width form, then katakana, then upper case). Two
// characters are equal under the options when their folded values are.
#pragma once

#include "regex/regexp.h"

namespace tenrovel::regex {

// The character at `pos` (< end) and its length in code units.
char32_t ReadCompareChar(const char16_t* text, int pos, int end, bool merge_width, int& length);

// Whether `pos` falls between a half-width letter and the voiced mark that
// ReadCompareChar merges with it (positions in [begin, end)).
bool IsInsideWidthMerge(const char16_t* text, int begin, int end, int pos);

// The folded value of one character.
char32_t FoldChar(char32_t c, TRECompareOptions options);

// FoldChar of the 128 ASCII characters under `options`, from a table built
// once per set of options: the width-merging compares meet mostly ASCII
// subjects, where FoldChar's full-width and case lookups dominate.
const char32_t* FoldedAscii(TRECompareOptions options);

// The characters a class test tries for `c` under the options: c itself and
// its width, kana and case partners (at most kMaxClassCandidates, no
// duplicates). Returns the count.
inline constexpr int kMaxClassCandidates = 12;
int ClassCandidates(char32_t c, TRECompareOptions options, char32_t* out);

// Whether some non-ASCII character folds (FoldChar) to the same value as
// the ASCII character `ascii`, or reaches it among its class candidates.
bool NonAsciiMeetsAscii(char16_t ascii, TRECompareOptions options);

// The width partner of c: the full-width form of ASCII and of a half-width
// katakana, the ASCII or half-width form of a full-width one; c itself if
// it has none (composed voiced letters have no one-character partner).
char32_t WidthPartner(char32_t c);
// Hiragana to katakana and back; c itself if it has no partner.
char32_t KanaPartner(char32_t c);

}  // namespace tenrovel::regex
