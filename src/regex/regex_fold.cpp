#include "regex/regex_fold.h"

#include <array>
#include <cstdint>

#include "regex/regex_utf.h"
#include "regex/unicode_properties.h"
#include "text/width_forms.h"

namespace tenrovel::regex {
namespace {

bool IsHalfWidthKana(char32_t c) {
  return c < 0x10000 && text::IsHalfWidthKana(static_cast<char16_t>(c));
}

char32_t ToFullWidth(char32_t c) {
  if (c >= 0x10000) {
    return c;
  }
  const auto unit = static_cast<char16_t>(c);
  if (const char16_t full = text::FullWidthAscii(unit); full != 0) {
    return full;
  }
  if (const char16_t full = text::FullWidthKana(unit); full != 0) {
    return full;
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
  if (merge_width && length == 1 && pos + 1 < end && IsHalfWidthKana(c)) {
    const char32_t composed = text::ComposeHalfWidthKana(static_cast<char16_t>(c), text[pos + 1]);
    if (composed != 0) {
      length = 2;
      return composed;
    }
  }
  return c;
}

bool IsInsideWidthMerge(const char16_t* text, int begin, int end, int pos) {
  return pos > begin && pos < end && IsHalfWidthKana(text[pos - 1]) &&
         text::ComposeHalfWidthKana(text[pos - 1], text[pos]) != 0;
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

const char32_t* FoldedAscii(TRECompareOptions options) {
  static_assert(TRECompareOptions{coIgnoreCase, coIgnoreWidth, coIgnoreKana}.ToBits() == 7);
  using Table = std::array<std::array<char32_t, 128>, 8>;
  static const Table kTables = [] {
    Table tables{};
    for (std::uint8_t bits = 0; bits < 8; ++bits) {
      for (char32_t c = 0; c < 128; ++c) {
        tables[bits][c] = FoldChar(c, TRECompareOptions::FromBits(bits));
      }
    }
    return tables;
  }();
  return kTables[options.ToBits() & 7].data();
}

char32_t WidthPartner(char32_t c) {
  if (c >= 0x10000) {
    return c;
  }
  const auto unit = static_cast<char16_t>(c);
  if (const char16_t partner = text::FullWidthAscii(unit); partner != 0) {
    return partner;
  }
  if (const char16_t partner = text::HalfWidthAscii(unit); partner != 0) {
    return partner;
  }
  if (const char16_t partner = text::FullWidthKana(unit); partner != 0) {
    return partner;
  }
  // A composed letter (ガ) has a two-unit spelling and no one-unit partner.
  if (const text::HalfWidthKanaForm half = text::HalfWidthKana(unit);
      half.base != 0 && half.mark == 0) {
    return half.base;
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
