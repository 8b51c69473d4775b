#include "regex/regex_codes.h"

#include <algorithm>

#include "regex/regex_fold.h"
#include "regex/regex_utf.h"

namespace tenrovel::regex {
namespace {

bool IsMark(char32_t c) {
  return GetUnicodeGeneralCategory(c) == upM;
}

bool IsWhiteSpaceForPosix(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x85 || GetUnicodeGeneralCategory(c) == upZ;
}

bool IsControlUnassignedOrSurrogate(char32_t c) {
  const TUnicodeProperty category = GetUnicodeCategory(c);
  return category == upCc || category == upCn || category == upCs;
}

// Compares the subject at `pos` with `folded` characters; sets the units
// consumed. `ascii`: FoldedAscii(compare).
bool MatchFolded(const TREMatchContext& c, int pos, const char32_t* folded, std::size_t count,
                 TRECompareOptions compare, const char32_t* ascii, int& length) {
  const bool merge = compare.Contains(coIgnoreWidth);
  int at = pos;
  for (std::size_t i = 0; i < count; ++i) {
    if (at >= c.WindowEnd) {
      length = at - pos;
      return false;
    }
    // An ASCII unit is one character of one unit under every option: no
    // surrogate, no half-width kana to merge with the unit after it.
    if (const char16_t unit = c.Text[at]; unit < 0x80) {
      if (ascii[unit] != folded[i]) {
        length = at - pos;
        return false;
      }
      ++at;
      continue;
    }
    int unit_length = 0;
    const char32_t ch = ReadCompareChar(c.Text, at, c.WindowEnd, merge, unit_length);
    if (FoldChar(ch, compare) != folded[i]) {
      length = at - pos;
      return false;
    }
    at += unit_length;
  }
  length = at - pos;
  return true;
}

}  // namespace

bool IsWordChar(char32_t c, bool legacy) {
  if (legacy || c < 0x80) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  }
  const TUnicodeProperty category = GetUnicodeCategory(c);
  const TUnicodeProperty major = GetUnicodeGeneralCategory(c);
  return major == upL || major == upM || category == upNd || category == upPc;
}

bool IsDigitChar(char32_t c, bool legacy) {
  if (legacy || c < 0x80) {
    return c >= '0' && c <= '9';
  }
  return GetUnicodeCategory(c) == upNd;
}

bool IsSpaceChar(char32_t c, bool legacy) {
  if (c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D) {
    return true;
  }
  if (legacy) {
    return c == 0x20;
  }
  return c == 0x85 || GetUnicodeGeneralCategory(c) == upZ;
}

bool IsHorizontalSpace(char32_t c) {
  return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || c == 0x180E ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsVerticalSpace(char32_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool IsLineBreak(char32_t c) {
  return IsVerticalSpace(c);
}

bool IsPosixClass(char32_t c, TREPosixClassKind kind) {
  switch (kind) {
    case pckNone:
      return false;
    case pckAlnum: {
      const TUnicodeProperty major = GetUnicodeGeneralCategory(c);
      return major == upL || major == upM || GetUnicodeCategory(c) == upNd;
    }
    case pckAlpha: {
      const TUnicodeProperty major = GetUnicodeGeneralCategory(c);
      return major == upL || major == upM;
    }
    case pckAscii:
      return c < 0x80;
    case pckBlank:
      return c == 0x09 || GetUnicodeCategory(c) == upZs;
    case pckCntrl:
      return GetUnicodeCategory(c) == upCc;
    case pckDigit:
      return GetUnicodeCategory(c) == upNd;
    case pckGraph:
      return !IsWhiteSpaceForPosix(c) && !IsControlUnassignedOrSurrogate(c);
    case pckLower:
      return GetUnicodeCategory(c) == upLl;
    case pckPrint:
      return IsWhiteSpaceForPosix(c) || !IsControlUnassignedOrSurrogate(c);
    case pckUpper:
      return GetUnicodeCategory(c) == upLu;
    case pckPunct:
      return GetUnicodeGeneralCategory(c) == upP;
    case pckSpace:
      return IsWhiteSpaceForPosix(c);
    case pckSpacePerl:
      return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x85 ||
             GetUnicodeGeneralCategory(c) == upZ;
    case pckXdigit:
      return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    case pckWord:
      return IsWordChar(c, false);
    case pckAny:
      return true;
    case pckAssigned:
      return GetUnicodeCategory(c) != upCn;
  }
  return false;
}

int TRECode::ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const {
  count = 0;
  int length = 0;
  while ((max < 0 || count < max) && IsEqual(c, pos, length) && length > 0) {
    pos += length;
    ++count;
  }
  return pos;
}

int TRECode::StepBack(const TREMatchContext& c, int begin, int pos) const {
  // Only a half-width voiced mark ends a merged pair, only a low surrogate
  // a surrogate pair; an ASCII unit is a character of its own.
  if (c.Text[pos - 1] < 0x80) {
    return pos - 1;
  }
  if (MergesWidth() && pos - 2 >= begin) {
    int length = 0;
    ReadCompareChar(c.Text, pos - 2, pos, true, length);
    if (length == 2) {
      return pos - 2;
    }
  }
  return PreviousCodePointStart(c.Text, begin, pos);
}

bool TRECode::CanStartWith(char16_t) const {
  return true;
}

bool TRESingleCharCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  if (pos >= c.WindowEnd) {
    return false;
  }
  const char32_t ch = ReadCompareChar(c.Text, pos, c.WindowEnd, MergesWidth(), length);
  return MatchesChar(ch);
}

int TRESingleCharCode::ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const {
  count = 0;
  const bool merge = MergesWidth();
  while ((max < 0 || count < max) && pos < c.WindowEnd) {
    const char16_t unit = c.Text[pos];
    int length = 1;
    char32_t ch = unit;
    if (unit >= 0x80 && (merge || IsHighSurrogate(unit))) {
      ch = ReadCompareChar(c.Text, pos, c.WindowEnd, merge, length);
    }
    if (!MatchesChar(ch)) {
      break;
    }
    pos += length;
    ++count;
  }
  return pos;
}

TRECharCode::TRECharCode(char32_t ch, TRECompareOptions compare)
    : TRESingleCharCode(ckChar, compare),
      char_(ch),
      folded_(FoldChar(ch, compare)),
      folded_ascii_(FoldedAscii(compare)),
      max_units_(ch >= 0x10000 || compare.Contains(coIgnoreWidth) ? 2 : 1) {
  if (ch < 0x10000 && !IsHighSurrogate(ch) && !IsLowSurrogate(ch)) {
    if (compare.Empty()) {
      unit_a_ = unit_b_ = static_cast<char16_t>(ch);
    } else if (!compare.Contains(coIgnoreWidth) && ch < 0x80) {
      unit_a_ = static_cast<char16_t>(GetUnicodeUpperCase(ch));
      unit_b_ = static_cast<char16_t>(GetUnicodeLowerCase(ch));
      if (!compare.Contains(coIgnoreCase)) {
        unit_a_ = unit_b_ = static_cast<char16_t>(ch);
      }
    }
  }
}

bool TRECharCode::MatchesChar(char32_t c) const {
  return FoldChar(c, CompareOptions()) == folded_;
}

bool TRECharCode::CanStartNonAscii() const {
  return char_ >= 0x80 || NonAsciiMeetsAscii(static_cast<char16_t>(char_), CompareOptions());
}

bool TRECharCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  if (pos >= c.WindowEnd) {
    return false;
  }
  const char16_t unit = c.Text[pos];
  if (unit_a_ != 0) {
    if (unit == unit_a_ || unit == unit_b_) {
      length = 1;
      return true;
    }
    // A plain BMP character equals only itself; an ASCII letter under case
    // folding only its two cases among the ASCII units.
    if (CompareOptions().Empty() || unit < 0x80) {
      return false;
    }
  }
  if (unit < 0x80) {
    length = 1;
    return folded_ascii_[unit] == folded_;
  }
  return TRESingleCharCode::IsEqual(c, pos, length);
}

int TRECharCode::ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const {
  if (unit_a_ == 0 || !CompareOptions().Empty()) {
    // The ASCII part of the run from the folding table, the rest (and the
    // first non-ASCII unit) through the full compare.
    count = 0;
    while ((max < 0 || count < max) && pos < c.WindowEnd && c.Text[pos] < 0x80 &&
           folded_ascii_[c.Text[pos]] == folded_) {
      ++pos;
      ++count;
    }
    if (pos >= c.WindowEnd || c.Text[pos] < 0x80 || (max >= 0 && count >= max)) {
      return pos;
    }
    int rest = 0;
    const int end = TRESingleCharCode::ExecRepeat(c, pos, max < 0 ? -1 : max - count, rest);
    count += rest;
    return end;
  }
  count = 0;
  while ((max < 0 || count < max) && pos < c.WindowEnd && c.Text[pos] == unit_a_) {
    ++pos;
    ++count;
  }
  return pos;
}

TRELiteralCode::TRELiteralCode(std::u16string text, TRECompareOptions compare)
    : TRECode(ckLiteral, compare), text_(std::move(text)), folded_ascii_(FoldedAscii(compare)) {
  const int end = static_cast<int>(text_.size());
  const bool merge = compare.Contains(coIgnoreWidth);
  for (int pos = 0; pos < end;) {
    int length = 0;
    const char32_t ch = ReadCompareChar(text_.data(), pos, end, merge, length);
    folded_.push_back(FoldChar(ch, compare));
    min_units_ += ch >= 0x10000 ? 2 : 1;
    max_units_ += ch >= 0x10000 || merge ? 2 : 1;
    pos += length;
  }
}

bool TRELiteralCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  if (IsPlain()) {
    const auto size = static_cast<int>(text_.size());
    const int room = std::min(size, c.WindowEnd - pos);
    const auto same = static_cast<int>(
        std::mismatch(text_.begin(), text_.begin() + room, c.Text + pos).first - text_.begin());
    if (same < size) {
      length = same;
      return false;
    }
    // A literal that ends with a lone high surrogate must not take the first
    // half of a pair; one that starts with a lone low surrogate must not
    // start inside a pair (the match start is never inside one).
    if (IsHighSurrogate(text_.back()) && pos + size < c.WindowEnd &&
        IsLowSurrogate(c.Text[pos + size])) {
      return false;
    }
    length = size;
    return true;
  }
  return MatchFolded(c, pos, folded_.data(), folded_.size(), CompareOptions(), folded_ascii_,
                     length);
}

bool TRELiteralCode::CanStartWith(char16_t unit) const {
  return FoldChar(unit, CompareOptions()) == folded_.front();
}

bool TRELiteralCode::CanStartNonAscii() const {
  const char32_t first = static_cast<char32_t>(text_.front());
  return first >= 0x80 || NonAsciiMeetsAscii(static_cast<char16_t>(first), CompareOptions());
}

int TREAnyCharCode::ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const {
  if (MergesWidth()) {
    return TRESingleCharCode::ExecRepeat(c, pos, max, count);
  }
  count = 0;
  const char16_t* text = c.Text;
  while ((max < 0 || count < max) && pos < c.WindowEnd) {
    const char16_t unit = text[pos];
    if (!single_line_ && IsLineBreak(unit)) {
      break;
    }
    pos += IsHighSurrogate(unit) && pos + 1 < c.WindowEnd && IsLowSurrogate(text[pos + 1]) ? 2 : 1;
    ++count;
  }
  return pos;
}

bool TREClassEscapeCode::MatchesChar(char32_t c) const {
  bool hit = false;
  switch (Kind()) {
    case ckWordChar:
      hit = IsWordChar(c, legacy_);
      break;
    case ckDigitChar:
      hit = IsDigitChar(c, legacy_);
      break;
    case ckSpaceChar:
      hit = IsSpaceChar(c, legacy_);
      break;
    case ckHorizontalSpaceChar:
      hit = IsHorizontalSpace(c);
      break;
    case ckVerticalSpaceChar:
      hit = IsVerticalSpace(c);
      break;
    default:
      break;
  }
  return hit != negative_;
}

// Legacy \w \d \s take ASCII only; everything else reaches beyond it.
bool TREClassEscapeCode::CanStartNonAscii() const {
  return negative_ || !legacy_ || Kind() == ckHorizontalSpaceChar || Kind() == ckVerticalSpaceChar;
}

TRECharClassCode::TRECharClassCode(std::vector<std::pair<char32_t, char32_t>> ranges,
                                   std::vector<TREClassItem> items, bool negative,
                                   TRECompareOptions compare)
    : TRESingleCharCode(ckCharClass, compare),
      ranges_(std::move(ranges)),
      items_(std::move(items)),
      negative_(negative) {
  std::sort(ranges_.begin(), ranges_.end());
  std::vector<std::pair<char32_t, char32_t>> merged;
  for (const auto& range : ranges_) {
    if (!merged.empty() && range.first <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, range.second);
    } else {
      merged.push_back(range);
    }
  }
  ranges_ = std::move(merged);
  for (char32_t c = 0; c < 128; ++c) {
    ascii_[c] = MatchesUnfolded(c) != negative_;
  }
}

bool TRECharClassCode::InRanges(char32_t c) const {
  const auto it = std::upper_bound(ranges_.begin(), ranges_.end(), c,
                                   [](char32_t value, const std::pair<char32_t, char32_t>& range) {
                                     return value < range.first;
                                   });
  return it != ranges_.begin() && c <= std::prev(it)->second;
}

bool TRECharClassCode::MatchesUnfolded(char32_t c) const {
  for (const TREClassItem& item : items_) {
    bool hit = false;
    switch (item.Kind) {
      case ckWordChar:
        hit = IsWordChar(c, item.Legacy);
        break;
      case ckDigitChar:
        hit = IsDigitChar(c, item.Legacy);
        break;
      case ckSpaceChar:
        hit = IsSpaceChar(c, item.Legacy);
        break;
      case ckHorizontalSpaceChar:
        hit = IsHorizontalSpace(c);
        break;
      case ckVerticalSpaceChar:
        hit = IsVerticalSpace(c);
        break;
      case ckPosixCharClass:
        hit = IsPosixClass(c, static_cast<TREPosixClassKind>(item.Value));
        break;
      case ckProperty:
        hit = IsUnicodeProperty(c, static_cast<TUnicodeProperty>(item.Value));
        break;
      default:
        break;
    }
    if (hit != item.Negative) {
      return true;
    }
  }
  if (CompareOptions().Empty()) {
    return InRanges(c);
  }
  char32_t candidates[kMaxClassCandidates];
  const int count = ClassCandidates(c, CompareOptions(), candidates);
  for (int i = 0; i < count; ++i) {
    if (InRanges(candidates[i])) {
      return true;
    }
  }
  return false;
}

bool TRECharClassCode::MatchesChar(char32_t c) const {
  if (c < 128) {
    return ascii_[c];
  }
  return MatchesUnfolded(c) != negative_;
}

bool TRECharClassCode::CanStartNonAscii() const {
  if (negative_ || !items_.empty() || CompareOptions().Contains(coIgnoreWidth) ||
      CompareOptions().Contains(coIgnoreKana)) {
    return true;
  }
  for (const auto& range : ranges_) {
    if (range.second >= 0x80) {
      return true;
    }
    for (char32_t c = range.first; c <= range.second; ++c) {
      if (NonAsciiMeetsAscii(static_cast<char16_t>(c), CompareOptions())) {
        return true;
      }
    }
  }
  return false;
}

bool TRECharClassCode::IsSingleChar(char32_t& c) const {
  if (negative_ || !items_.empty() || ranges_.size() != 1 ||
      ranges_[0].first != ranges_[0].second) {
    return false;
  }
  c = ranges_[0].first;
  return true;
}

bool TRELineBreakCharCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  if (pos >= c.WindowEnd) {
    return false;
  }
  const char16_t unit = c.Text[pos];
  if (unit == 0x0D && pos + 1 < c.WindowEnd && c.Text[pos + 1] == 0x0A) {
    length = 2;
    return true;
  }
  length = 1;
  return IsVerticalSpace(unit);
}

int TRELineBreakCharCode::StepBack(const TREMatchContext& c, int begin, int pos) const {
  if (pos - 2 >= begin && c.Text[pos - 2] == 0x0D && c.Text[pos - 1] == 0x0A) {
    return pos - 2;
  }
  return pos - 1;
}

bool TRECombiningSequence::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  if (pos >= c.WindowEnd) {
    return false;
  }
  int at = pos;
  int unit_length = 0;
  ReadCodePoint(c.Text, at, c.WindowEnd, unit_length);
  at += unit_length;
  while (at < c.WindowEnd && IsMark(ReadCodePoint(c.Text, at, c.WindowEnd, unit_length))) {
    at += unit_length;
  }
  length = at - pos;
  return true;
}

int TRECombiningSequence::StepBack(const TREMatchContext& c, int begin, int pos) const {
  int at = PreviousCodePointStart(c.Text, begin, pos);
  int unit_length = 0;
  while (at > begin && IsMark(ReadCodePoint(c.Text, at, pos, unit_length))) {
    at = PreviousCodePointStart(c.Text, begin, at);
  }
  return at;
}

bool TREAnchorCode::IsWordAt(const TREMatchContext& c, int pos, bool before) const {
  int length = 0;
  if (before) {
    if (pos <= c.WindowBegin) {
      return false;
    }
    const int start = PreviousCodePointStart(c.Text, c.WindowBegin, pos);
    return IsWordChar(ReadCodePoint(c.Text, start, pos, length), legacy_);
  }
  if (pos >= c.WindowEnd) {
    return false;
  }
  return IsWordChar(ReadCodePoint(c.Text, pos, c.WindowEnd, length), legacy_);
}

bool TREAnchorCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  length = 0;
  switch (Kind()) {
    case ckLineHead:
      if (pos == c.WindowBegin) {
        return true;
      }
      return flag_ && pos > c.WindowBegin && pos < c.WindowEnd && IsLineBreak(c.Text[pos - 1]);
    case ckLineTail:
      if (pos == c.WindowEnd) {
        return true;
      }
      if (pos > c.WindowEnd || !IsLineBreak(c.Text[pos])) {
        return false;
      }
      return flag_ || pos + 1 == c.WindowEnd;
    case ckTextHead:
      return pos == c.WindowBegin;
    case ckTextTail:
      for (int at = pos; at < c.WindowEnd; ++at) {
        if (!IsLineBreak(c.Text[at])) {
          return false;
        }
      }
      return pos <= c.WindowEnd;
    case ckTextEnd:
      return pos == c.WindowEnd;
    case ckGlobalPos:
      return pos == c.GlobalPos;
    case ckBoundary:
      return (IsWordAt(c, pos, true) != IsWordAt(c, pos, false)) != flag_;
    default:
      return false;
  }
}

bool TREReferenceCode::IsEqual(const TREMatchContext& c, int pos, int& length) const {
  for (const int group : groups_) {
    const int start = c.Registers[CaptureStart(group)];
    const int end = c.Registers[CaptureEnd(group)];
    if (start < 0 || end < 0) {
      continue;
    }
    if (CompareOptions().Empty()) {
      const int size = end - start;
      if (c.WindowEnd - pos < size || !std::equal(c.Text + start, c.Text + end, c.Text + pos)) {
        return false;
      }
      length = size;
      return true;
    }
    const bool merge = MergesWidth();
    int at = pos;
    for (int from = start; from < end;) {
      int captured_length = 0;
      const char32_t captured = ReadCompareChar(c.Text, from, end, merge, captured_length);
      if (at >= c.WindowEnd) {
        return false;
      }
      int subject_length = 0;
      const char32_t subject = ReadCompareChar(c.Text, at, c.WindowEnd, merge, subject_length);
      if (FoldChar(captured, CompareOptions()) != FoldChar(subject, CompareOptions())) {
        return false;
      }
      from += captured_length;
      at += subject_length;
    }
    length = at - pos;
    return true;
  }
  return false;
}

}  // namespace tenrovel::regex
