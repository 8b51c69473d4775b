#include "regex/regex_fold.h"

#include <array>

#include "regex/regex_utf.h"
#include "regex/unicode_properties.h"

namespace tenrovel::regex {
namespace {

// Half-width katakana U+FF61..U+FF9F and their full-width forms.
// TODO(text layer): take these from src/text once it exists.
constexpr char16_t kHalfToFull[0x3F] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

bool IsHalfWidthKatakana(char32_t c) { return c >= 0xFF61 && c <= 0xFF9F; }

// The composed full-width letter of a half-width base and mark; 0 if none.
char32_t Compose(char16_t base, char16_t mark) {
  if (!IsHalfWidthKatakana(base)) {
    return 0;
  }
  const char32_t full = kHalfToFull[base - 0xFF61];
  if (mark == kVoicedMark) {
    if ((full >= 0x30AB && full <= 0x30C8 && full != 0x30C3) || (full >= 0x30CF && full <= 0x30DB &&
                                                                  (full - 0x30CF) % 3 == 0)) {
      return full + 1;
    }
    if (full == 0x30A6) {
      return 0x30F4;
    }
    return 0;
  }
  if (mark == kSemiVoicedMark && full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0) {
    return full + 2;
  }
  return 0;
}

char32_t ToFullWidth(char32_t c) {
  if (c == 0x20) {
    return 0x3000;
  }
  if (c >= 0x21 && c <= 0x7E) {
    return c + 0xFEE0;
  }
  if (IsHalfWidthKatakana(c)) {
    return kHalfToFull[c - 0xFF61];
  }
  return c;
}

char32_t ToKatakana(char32_t c) {
  if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) {
    return c + 0x60;
  }
  return c;
}

void AddCandidate(char32_t c, char32_t* out, int& count) {
  for (int i = 0; i < count; ++i) {
    if (out[i] == c) {
      return;
    }
  }
  if (count < kMaxClassCandidates) {
    out[count++] = c;
  }
}

// ASCII characters that some non-ASCII character reaches through case
// mapping (U+017F long s folds to S, U+212A Kelvin sign lowers to k, ...).
std::array<bool, 128> BuildAsciiCaseTargets() {
  std::array<bool, 128> targets{};
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    const char32_t upper = GetUnicodeUpperCase(c);
    for (const char32_t mapped : {upper, GetUnicodeLowerCase(c), GetUnicodeLowerCase(upper)}) {
      if (mapped < 0x80) {
        targets[mapped] = true;
        targets[GetUnicodeUpperCase(mapped)] = true;
        targets[GetUnicodeLowerCase(mapped)] = true;
      }
    }
  }
  return targets;
}

}  // namespace

char32_t ReadCompareChar(const char16_t* text, int pos, int end, bool merge_width, int& length) {
  const char32_t c = ReadCodePoint(text, pos, end, length);
  if (merge_width && length == 1 && pos + 1 < end && IsHalfWidthKatakana(c)) {
    const char32_t composed = Compose(static_cast<char16_t>(c), text[pos + 1]);
    if (composed != 0) {
      length = 2;
      return composed;
    }
  }
  return c;
}

char32_t FoldChar(char32_t c, TRECompareOptions options) {
  if (options.Contains(coIgnoreWidth)) {
    c = ToFullWidth(c);
  }
  if (options.Contains(coIgnoreKana)) {
    c = ToKatakana(c);
  }
  if (options.Contains(coIgnoreCase)) {
    c = GetUnicodeUpperCase(c);
  }
  return c;
}

char32_t WidthPartner(char32_t c) {
  if (c == 0x20) {
    return 0x3000;
  }
  if (c == 0x3000) {
    return 0x20;
  }
  if (c >= 0x21 && c <= 0x7E) {
    return c + 0xFEE0;
  }
  if (c >= 0xFF01 && c <= 0xFF5E) {
    return c - 0xFEE0;
  }
  if (IsHalfWidthKatakana(c)) {
    return kHalfToFull[c - 0xFF61];
  }
  for (int i = 0; i < 0x3F; ++i) {
    if (kHalfToFull[i] == c) {
      return 0xFF61 + static_cast<char32_t>(i);
    }
  }
  return c;
}

char32_t KanaPartner(char32_t c) {
  if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E) {
    return c + 0x60;
  }
  if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE) {
    return c - 0x60;
  }
  return c;
}

int ClassCandidates(char32_t c, TRECompareOptions options, char32_t* out) {
  int count = 0;
  out[count++] = c;
  if (options.Contains(coIgnoreWidth)) {
    AddCandidate(WidthPartner(c), out, count);
  }
  if (options.Contains(coIgnoreKana)) {
    for (int i = 0, n = count; i < n; ++i) {
      AddCandidate(KanaPartner(out[i]), out, count);
    }
  }
  if (options.Contains(coIgnoreCase)) {
    for (int i = 0, n = count; i < n; ++i) {
      const char32_t upper = GetUnicodeUpperCase(out[i]);
      AddCandidate(upper, out, count);
      AddCandidate(GetUnicodeLowerCase(out[i]), out, count);
      AddCandidate(GetUnicodeLowerCase(upper), out, count);
    }
  }
  return count;
}

bool NonAsciiMeetsAscii(char16_t ascii, TRECompareOptions options) {
  if (options.Contains(coIgnoreWidth)) {
    return ascii >= 0x20 && ascii <= 0x7E;
  }
  if (!options.Contains(coIgnoreCase)) {
    return false;
  }
  static const std::array<bool, 128> kCaseTargets = BuildAsciiCaseTargets();
  return ascii < 0x80 && kCaseTargets[ascii];
}

}  // namespace tenrovel::regex
