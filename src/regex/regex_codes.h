// The leaf codes of the engine: each pattern item that tests the subject at
// one position (a character, a literal, a class, an anchor, a back
// reference, ...).
//
// Takes: the subject window (TREMatchContext) and a position. Gives: whether
// the item matches there and how many code units it consumes, the far end of
// a run of repetitions (ExecRepeat) and the start of the last one
// (StepBack), and what the compiler and the prefilters need to know about
// the item: its length range in code units, whether it is zero-width, which
// subject units a match can begin with. Codes never allocate while matching
// and never read at or past the window end.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regex/regexp.h"
#include "regex/unicode_properties.h"

namespace tenrovel::regex {

// The subject as the codes see it during one match call.
struct TREMatchContext {
  const char16_t* Text = nullptr;
  int SubjectEnd = 0;
  int WindowBegin = 0;
  int WindowEnd = 0;
  // Where the previous match ended (\G); the window start if none.
  int GlobalPos = 0;
  // The engine's registers: captures of group g at CaptureStart(g) and
  // CaptureEnd(g) (-1 while unset).
  const int* Registers = nullptr;
};

inline constexpr int kRegistersPerGroup = 3;
inline constexpr int CapturePending(int group) {
  return group * kRegistersPerGroup;
}
inline constexpr int CaptureStart(int group) {
  return group * kRegistersPerGroup + 1;
}
inline constexpr int CaptureEnd(int group) {
  return group * kRegistersPerGroup + 2;
}

enum TRECodeKind : std::uint8_t {
  ckChar,
  ckLiteral,
  ckAnyChar,
  ckWordChar,
  ckDigitChar,
  ckSpaceChar,
  ckHorizontalSpaceChar,
  ckVerticalSpaceChar,
  ckLineBreakChar,
  ckCharClass,
  ckPosixCharClass,
  ckProperty,
  ckCombiningSequence,
  ckBoundary,
  ckLineHead,
  ckLineTail,
  ckTextHead,
  ckTextTail,
  ckTextEnd,
  ckGlobalPos,
  ckReference,
  ckNamedReference,
  ckIfThenReference,
  ckIfThenNamedReference,
  ckInSubReference,
  ckInSubNameReference,
  ckCallout,
};

enum TREPosixClassKind : std::uint8_t {
  pckNone,
  pckAlnum,
  pckAlpha,
  pckAscii,
  pckBlank,
  pckCntrl,
  pckDigit,
  pckGraph,
  pckLower,
  pckPrint,
  pckUpper,
  pckPunct,
  pckSpace,
  pckSpacePerl,
  pckXdigit,
  pckWord,
  pckAny,
  pckAssigned,
};

// The character tests behind \w \d \s \h \v, the line breaks of . and ^ $,
// and the POSIX classes.
bool IsWordChar(char32_t c, bool legacy);
bool IsDigitChar(char32_t c, bool legacy);
bool IsSpaceChar(char32_t c, bool legacy);
bool IsHorizontalSpace(char32_t c);
bool IsVerticalSpace(char32_t c);
// LF VT FF CR U+0085 U+2028 U+2029.
bool IsLineBreak(char32_t c);
bool IsPosixClass(char32_t c, TREPosixClassKind kind);

class TRECode {
 public:
  TRECode(TRECodeKind kind, TRECompareOptions compare) : kind_(kind), compare_(compare) {}
  virtual ~TRECode() = default;
  TRECode(const TRECode&) = delete;
  TRECode& operator=(const TRECode&) = delete;

  TRECodeKind Kind() const { return kind_; }
  TRECompareOptions CompareOptions() const { return compare_; }

  // Whether the item matches at `pos`; `length` gets the units consumed.
  // A literal that differs sets it to the units that matched before the
  // difference (the work the compare did); other items leave it alone.
  virtual bool IsEqual(const TREMatchContext& c, int pos, int& length) const = 0;
  // Matches the item repeatedly from `pos`, at most `max` times (max < 0:
  // no limit); returns where the run ends and sets `count`.
  virtual int ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const;
  // The start of the repetition that ends at `pos`, not before `begin`
  // (where the run started).
  virtual int StepBack(const TREMatchContext& c, int begin, int pos) const;
  // Units one match consumes: at least, at most (-1: no bound).
  virtual int MinUnits() const { return 1; }
  virtual int MaxUnits() const { return 2; }
  virtual bool IsZeroWidth() const { return false; }
  // Whether ExecRepeat/StepBack may stand for a repetition of the item (one
  // character per repetition, independent of captures).
  virtual bool IsSimpleRepeatable() const { return !IsZeroWidth(); }
  // Whether each repetition is one character as the comparison reads it (a
  // code point; under width merging a half-width letter and its voiced mark
  // are one), so that every such boundary inside a run ends a repetition.
  virtual bool RepeatsByCompareChar() const { return IsSimpleRepeatable(); }
  // Whether a match can begin with the ASCII subject unit `unit`, and with
  // any non-ASCII unit. Exact: false only where no match can begin.
  virtual bool CanStartWith(char16_t unit) const;
  virtual bool CanStartNonAscii() const { return true; }
  bool MergesWidth() const { return compare_.Contains(coIgnoreWidth); }

 private:
  TRECodeKind kind_;
  TRECompareOptions compare_;
};

// Codes that consume exactly one character and test it alone.
class TRESingleCharCode : public TRECode {
 public:
  using TRECode::TRECode;
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const override;
  bool CanStartWith(char16_t unit) const override { return MatchesChar(unit); }
  virtual bool MatchesChar(char32_t c) const = 0;
};

class TRECharCode final : public TRESingleCharCode {
 public:
  TRECharCode(char32_t ch, TRECompareOptions compare);
  char32_t Char() const { return char_; }
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const override;
  bool MatchesChar(char32_t c) const override;
  int MinUnits() const override { return char_ >= 0x10000 ? 2 : 1; }
  int MaxUnits() const override { return max_units_; }
  bool CanStartNonAscii() const override;

 private:
  char32_t char_;
  char32_t folded_;
  // FoldChar of the ASCII characters under the compare options.
  const char32_t* folded_ascii_;
  // The plain one-unit forms that match (both cases of an ASCII letter).
  char16_t unit_a_ = 0;
  char16_t unit_b_ = 0;
  int max_units_;
};

// A run of two or more characters.
class TRELiteralCode final : public TRECode {
 public:
  TRELiteralCode(std::u16string text, TRECompareOptions compare);
  const std::u16string& Text() const { return text_; }
  // The characters folded under the compare options (pattern side merged).
  const std::vector<char32_t>& Folded() const { return folded_; }
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int MinUnits() const override { return min_units_; }
  int MaxUnits() const override { return max_units_; }
  bool IsSimpleRepeatable() const override { return false; }
  bool CanStartWith(char16_t unit) const override;
  bool CanStartNonAscii() const override;
  // Whether the literal compares code units as they are.
  bool IsPlain() const { return CompareOptions().Empty(); }

 private:
  std::u16string text_;
  std::vector<char32_t> folded_;
  const char32_t* folded_ascii_;
  int min_units_ = 0;
  int max_units_ = 0;
};

class TREAnyCharCode final : public TRESingleCharCode {
 public:
  TREAnyCharCode(bool single_line, TRECompareOptions compare)
      : TRESingleCharCode(ckAnyChar, compare), single_line_(single_line) {}
  bool SingleLine() const { return single_line_; }
  bool MatchesChar(char32_t c) const override { return single_line_ || !IsLineBreak(c); }
  int ExecRepeat(const TREMatchContext& c, int pos, int max, int& count) const override;

 private:
  bool single_line_;
};

// \w \W \d \D \s \S \h \H \v \V.
class TREClassEscapeCode final : public TRESingleCharCode {
 public:
  TREClassEscapeCode(TRECodeKind kind, bool negative, bool legacy, TRECompareOptions compare)
      : TRESingleCharCode(kind, compare), negative_(negative), legacy_(legacy) {}
  bool MatchesChar(char32_t c) const override;
  bool CanStartNonAscii() const override;
  bool Negative() const { return negative_; }
  bool Legacy() const { return legacy_; }

 private:
  bool negative_;
  bool legacy_;
};

class TREPosixCharClassCode final : public TRESingleCharCode {
 public:
  TREPosixCharClassCode(TREPosixClassKind posix, bool negative, TRECompareOptions compare)
      : TRESingleCharCode(ckPosixCharClass, compare), posix_(posix), negative_(negative) {}
  bool MatchesChar(char32_t c) const override { return IsPosixClass(c, posix_) != negative_; }

 private:
  TREPosixClassKind posix_;
  bool negative_;
};

class TREPropertyCode final : public TRESingleCharCode {
 public:
  TREPropertyCode(TUnicodeProperty property, bool negative, TRECompareOptions compare)
      : TRESingleCharCode(ckProperty, compare), property_(property), negative_(negative) {}
  bool MatchesChar(char32_t c) const override {
    return IsUnicodeProperty(c, property_) != negative_;
  }

 private:
  TUnicodeProperty property_;
  bool negative_;
};

// One item of a character class other than a character or a range.
struct TREClassItem {
  TRECodeKind Kind;  // a class escape kind, ckPosixCharClass or ckProperty
  int Value;         // TREPosixClassKind or TUnicodeProperty
  bool Negative;
  bool Legacy;
};

// [...] and [^...]. Under IgnoreCase (and width and kana folding) a
// character matches when it or one of its partners is among the class's
// characters and ranges; class escapes, POSIX classes and properties test
// the character itself.
class TRECharClassCode final : public TRESingleCharCode {
 public:
  TRECharClassCode(std::vector<std::pair<char32_t, char32_t>> ranges,
                   std::vector<TREClassItem> items, bool negative, TRECompareOptions compare);
  bool MatchesChar(char32_t c) const override;
  bool CanStartNonAscii() const override;
  // The class's single character, if it is exactly one (not negated).
  bool IsSingleChar(char32_t& c) const;

 private:
  bool MatchesUnfolded(char32_t c) const;
  bool InRanges(char32_t c) const;

  std::vector<std::pair<char32_t, char32_t>> ranges_;
  std::vector<TREClassItem> items_;
  bool negative_;
  bool ascii_[128] = {};
};

// \R: CR LF as one unit of two, or one vertical space character.
class TRELineBreakCharCode final : public TRECode {
 public:
  explicit TRELineBreakCharCode(TRECompareOptions compare) : TRECode(ckLineBreakChar, compare) {}
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int StepBack(const TREMatchContext& c, int begin, int pos) const override;
  bool RepeatsByCompareChar() const override { return false; }
  bool CanStartWith(char16_t unit) const override { return IsVerticalSpace(unit); }
  bool CanStartNonAscii() const override { return true; }
};

// \X: one character and the combining marks (major class M) after it.
class TRECombiningSequence final : public TRECode {
 public:
  explicit TRECombiningSequence(TRECompareOptions compare)
      : TRECode(ckCombiningSequence, compare) {}
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int StepBack(const TREMatchContext& c, int begin, int pos) const override;
  int MaxUnits() const override { return -1; }
  bool RepeatsByCompareChar() const override { return false; }
};

// Zero-width assertions: ^ $ \A \Z \z \G \b \B.
class TREAnchorCode final : public TRECode {
 public:
  // `flag`: MultiLine for ^ and $, negation for \B, legacy for \b.
  TREAnchorCode(TRECodeKind kind, bool flag, bool legacy, TRECompareOptions compare)
      : TRECode(kind, compare), flag_(flag), legacy_(legacy) {}
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int MinUnits() const override { return 0; }
  int MaxUnits() const override { return 0; }
  bool IsZeroWidth() const override { return true; }
  bool MultiLine() const { return flag_; }

 private:
  bool IsWordAt(const TREMatchContext& c, int pos, bool before) const;
  bool flag_;
  bool legacy_;
};

// Back reference by number or by name (the names' groups resolved to
// numbers when parsing ends).
class TREReferenceCode final : public TRECode {
 public:
  TREReferenceCode(TRECodeKind kind, std::vector<int> groups, TRECompareOptions compare)
      : TRECode(kind, compare), groups_(std::move(groups)) {}
  bool IsEqual(const TREMatchContext& c, int pos, int& length) const override;
  int MinUnits() const override { return 0; }
  int MaxUnits() const override { return -1; }
  bool IsSimpleRepeatable() const override { return false; }
  const std::vector<int>& Groups() const { return groups_; }
  void SetGroups(std::vector<int> groups) { groups_ = std::move(groups); }

 private:
  std::vector<int> groups_;
};

// Conditions of (?(...)...) and callouts: data the matcher reads; they never
// test the subject themselves.
class TREConditionCode final : public TRECode {
 public:
  TREConditionCode(TRECodeKind kind, std::vector<int> groups, std::u16string name)
      : TRECode(kind, {}), groups_(std::move(groups)), name_(std::move(name)) {}
  bool IsEqual(const TREMatchContext&, int, int& length) const override {
    length = 0;
    return true;
  }
  int MinUnits() const override { return 0; }
  int MaxUnits() const override { return 0; }
  bool IsZeroWidth() const override { return true; }
  // Group numbers tested (ckIfThen*) or recursion targets (ckInSub*; empty:
  // any recursion).
  const std::vector<int>& Groups() const { return groups_; }
  void SetGroups(std::vector<int> groups) { groups_ = std::move(groups); }
  const std::u16string& Name() const { return name_; }

 private:
  std::vector<int> groups_;
  std::u16string name_;
};

class TRECalloutCode final : public TRECode {
 public:
  TRECalloutCode(int number, int pattern_position, int pattern_length)
      : TRECode(ckCallout, {}),
        number_(number),
        pattern_position_(pattern_position),
        pattern_length_(pattern_length) {}
  bool IsEqual(const TREMatchContext&, int, int& length) const override {
    length = 0;
    return true;
  }
  int MinUnits() const override { return 0; }
  int MaxUnits() const override { return -1; }
  bool IsSimpleRepeatable() const override { return false; }
  int Number() const { return number_; }
  // 0-based position and length in the pattern of the item after it.
  int PatternPosition() const { return pattern_position_; }
  int PatternLength() const { return pattern_length_; }
  void SetNextItem(int position, int length) {
    pattern_position_ = position;
    pattern_length_ = length;
  }

 private:
  int number_;
  int pattern_position_;
  int pattern_length_;
};

}  // namespace tenrovel::regex
