// The lexer of the pattern syntax: cuts the UTF-16 pattern into tokens.
//
// Takes: the pattern, the object's options and (for \NN) the number of
// groups opened so far. Gives: one token at a time with its kind, value,
// name, the options in force where it stands and its place in the pattern.
// The lexer keeps the inline options: a group opening saves them, its
// closing parenthesis restores them. Syntax errors raise ERegExpCompile in
// the "M; P" format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "regex/regexp.h"

namespace tenrovel::regex {

enum TREToken : std::uint8_t {
  tkEnd,
  tkChar,
  tkUnion,
  tkQuest,
  tkDot,
  tkRangeChar,
  tkLHead,
  tkLTail,
  tkEmpty,
  tkLPar,
  tkRPar,
  tkStar,
  tkPlus,
  tkBound,
  tkCharClassFirst,
  tkNegativeCharClassFirst,
  tkCharClassEnd,
  tkGroupBegin,
  tkReference,
  tkReferenceRelative,
  tkNamedReference,
  tkLParWithOption,
  tkWordChar,
  tkNEWordChar,
  tkDigitChar,
  tkNEDigitChar,
  tkSpaceChar,
  tkNESpaceChar,
  tkTHead,
  tkTTail,
  tkTTailEnd,
  tkWordBoundary,
  tkNEWordBoundary,
  tkOption,
  tkHorizontalSpaceChar,
  tkNEHorizontalSpaceChar,
  tkVerticalSpaceChar,
  tkNEVerticalSpaceChar,
  tkLineBreak,
  tkPosixBracket,
  tkNEPosixBracket,
  tkProperty,
  tkNEProperty,
  tkNoBackTrack,
  tkKeepPattern,
  tkAheadMatch,
  tkAheadNoMatch,
  tkBehindMatch,
  tkBehindNoMatch,
  tkCombiningSequence,
  tkGoSub,
  tkGoSubName,
  tkGoSubRelative,
  tkIfMatch,
  tkIfMatchRef,
  tkGlobalPos,
  tkBranchReset,
  tkFail,
  tkCallout,
  tkInSubRef,
  tkDefine,
  tkbcPrune,
  tkbcSkip,
  tkbcMark,
  tkbcThen,
  tkbcCommit,
  tkbcAccept,
};

enum TREContextKind : std::uint8_t { ctNormal, ctCharClass, ctNegativeCharClass, ctQuote };

// Quantifier bound that also means "no upper bound".
inline constexpr int kMaxCount = 32767;

struct TRELexToken {
  TREToken Kind = tkEnd;
  // tkChar: the character. tkDot: Escaped marks \N (never a line break).
  char32_t Char = 0;
  // tkChar written as an escape (a '-' that cannot make a range); tkReference
  // written as \8 or \9 (the digit itself if the pattern has fewer groups).
  bool Escaped = false;
  // Quantifier bounds; the group number of references, calls and conditions
  // (relative ones: the signed offset); the callout number.
  int Min = 0;
  int Max = 0;
  // tkProperty: TUnicodeProperty; tkPosixBracket (and \p{IsAlpha}-style
  // properties): TREPosixClassKind, with IsPosix set.
  int Value = 0;
  bool IsPosix = false;
  // Group name, reference or call target name, verb argument.
  std::u16string Name;
  // The options in force for this token (for tkOption and tkLParWithOption:
  // the options the token sets).
  TREOptions Options;
  // 0-based place of the token in the pattern.
  int Start = 0;
  int Length = 0;
};

class TRELex {
 public:
  // `groups_so_far` is read when a \NN escape is met.
  TRELex(std::u16string_view pattern, TREOptions options, const int& groups_so_far);

  // Reads the next token into Token().
  void GetToken();
  const TRELexToken& Token() const { return token_; }

  struct TState {
    int Position;
    TREContextKind Context;
    bool ClassStart;
    TREOptions Options;
    std::vector<TREOptions> OptionStack;
    TRELexToken Token;
  };
  TState Save() const;
  void Assign(const TState& state);

  TREOptions Options() const { return options_; }
  int Position() const { return pos_; }
  std::u16string_view Pattern() const { return pattern_; }

  // Raises the compile error `message` (its %s: the current token's text up
  // to `error_end` and "...") with the marker at `error_end`.
  [[noreturn]] void Error(std::u16string_view message, int error_end) const;
  [[noreturn]] void Error(std::u16string_view message) const { Error(message, pos_); }
  // As Error, %s (or %d) being `argument`.
  [[noreturn]] void ErrorWith(std::u16string_view message, std::u16string_view argument,
                              int error_end) const;

 private:
  bool AtEnd() const { return pos_ >= end_; }
  char16_t Peek(int offset = 0) const;
  bool IsDigitAt(int offset) const;
  char32_t ReadChar();
  void SkipExtendedSpace();
  void PushOptions();
  void PopOptions();

  void LexNormal();
  void LexClass();
  void LexEscape(bool in_class);
  void LexGroupOpening();
  void LexConditionOpening();
  void LexVerb();
  void LexOptionLetters();
  void LexProperty(bool negative);
  void LexBound();
  bool LexPosixBracket(bool in_class);
  void LexNamedOrNumberedReference(char16_t open, char16_t close, bool is_call);
  std::u16string ReadName(char16_t close);
  int ReadNumber();
  void SetToken(TREToken kind);
  void SetChar(char32_t c, bool escaped = false);

  std::u16string_view pattern_;
  int pos_ = 0;
  int end_ = 0;
  TREContextKind context_ = ctNormal;
  bool class_start_ = false;
  TREOptions options_;
  std::vector<TREOptions> option_stack_;
  const int& groups_so_far_;
  TRELexToken token_;
};

}  // namespace tenrovel::regex
