// The literal search of the prefilters: finds where a character or literal
// code matches next.
//
// Takes: a TRECharCode or TRELiteralCode and the subject window. Gives: the
// first position at or after a start at which the code matches, never
// inside a surrogate pair. Plain literals of three or more units use
// Sunday's Quick Search (a shift table of 256 entries indexed by the low
// byte of a unit); one or two units a plain scan. Under the compare options
// (case, width, kana) a literal's first unit does not tell its subject
// length (ｶﾞ is two units, ガ one), so the search filters positions by the
// units a match can begin with and confirms each with the code itself:
// exact, never a shortcut that can miss.
#pragma once

#include <string>

#include "regex/regex_codes.h"
#include "regex/regex_prefilter.h"

namespace tenrovel::regex {

class TREQuickSearch {
 public:
  void Compile(const TRECode& code);
  // The first position >= from (and <= the window end) at which the code
  // matches; -1 if none.
  int Find(const TREMatchContext& c, int from) const;

 private:
  const TRECode* code_ = nullptr;
  std::u16string text_;
  bool plain_ = false;
  int shift_[256] = {};
  TRELeadMap first_;
};

}  // namespace tenrovel::regex
