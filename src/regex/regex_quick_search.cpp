#include "regex/regex_quick_search.h"

#include <algorithm>

#include "regex/regex_utf.h"

namespace tenrovel::regex {

void TREQuickSearch::Compile(const TRECode& code) {
  code_ = &code;
  plain_ = code.CompareOptions().Empty();
  text_.clear();
  if (code.Kind() == ckLiteral) {
    text_ = static_cast<const TRELiteralCode&>(code).Text();
  } else if (code.Kind() == ckChar) {
    AppendCodePoint(text_, static_cast<const TRECharCode&>(code).Char());
  } else {
    plain_ = false;
  }
  const int m = static_cast<int>(text_.size());
  if (plain_ && m >= 3) {
    std::fill(std::begin(shift_), std::end(shift_), m);
    for (int i = 0; i < m; ++i) {
      shift_[text_[static_cast<std::size_t>(i)] & 0xFF] = m - i;
    }
  }
  for (char16_t unit = 0; unit < 128; ++unit) {
    first_.Ascii[unit] = code.CanStartWith(unit);
  }
  first_.NonAscii = code.CanStartNonAscii();
}

int TREQuickSearch::Find(const TREMatchContext& c, int from) const {
  const char16_t* text = c.Text;
  const int n = c.WindowEnd;
  int length = 0;
  const auto confirm = [&](int pos) {
    return !IsInsidePair(text, c.WindowBegin, n, pos) && code_->IsEqual(c, pos, length);
  };
  if (!plain_) {
    for (int pos = from; pos < n; ++pos) {
      if (first_.Allows(text[pos]) && confirm(pos)) {
        return pos;
      }
    }
    return -1;
  }
  const int m = static_cast<int>(text_.size());
  if (m <= 2) {
    const char16_t first = text_[0];
    for (int pos = from; pos + m <= n; ++pos) {
      if (text[pos] == first && confirm(pos)) {
        return pos;
      }
    }
    return -1;
  }
  int pos = from;
  while (pos + m <= n) {
    if (std::equal(text_.begin(), text_.end(), text + pos) && confirm(pos)) {
      return pos;
    }
    if (pos + m >= n) {
      break;
    }
    pos += shift_[text[pos + m] & 0xFF];
  }
  return -1;
}

}  // namespace tenrovel::regex
