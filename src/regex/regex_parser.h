// The parser of the pattern syntax: builds the tree of the pattern.
//
// Takes: the pattern and the object's options (through TRELex), the list
// that will own the leaf codes and the group collection to fill. Gives: the
// tree of TREBinCode nodes (concatenations and alternations as lists, so
// that a long pattern does not make a deep tree), every group numbered and
// named, every reference and call resolved (forward ones at the end). The
// tree's depth is bounded: groups nested deeper than kMaxNesting are a
// compile error. Errors raise ERegExpCompile.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regex/regex_codes.h"
#include "regex/regex_lexer.h"
#include "regex/regexp.h"

namespace tenrovel::regex {

enum TREOperator : std::uint8_t {
  opEmply,
  opConcat,
  opUnion,
  opGroup,
  opLHead,
  opLTail,
  opQuest,
  opPlus,
  opStar,
  opBound,
  opLoop,
  opNoBackTrack,
  opKeepPattern,
  opAheadMatch,
  opAheadNoMatch,
  opBehindMatch,
  opBehindNoMatch,
  opGoSub,
  opIfMatch,
  opIfThen,
  opDefine,
  opFail,
  opPrune,
  opSkip,
  opMark,
  opThen,
  opCommint,
  opAccept,
  // A leaf: one code.
  opCode,
};

enum TRELoopKind : std::uint8_t {
  lkGreedy,
  lkReluctant,
  lkSimpleReluctant,
  lkPossessive,
  lkAny,
  lkCombiningSequence,
};

inline bool IsLazy(TRELoopKind kind) { return kind == lkReluctant || kind == lkSimpleReluctant; }

struct TREBinCode {
  TREOperator Op = opEmply;
  // opConcat, opUnion: the items in order. opGroup, opLoop, opNoBackTrack,
  // lookarounds, opDefine: the body in Items[0]. opIfThen: yes, [no].
  // opIfMatch: the condition (an assertion node or a callout), yes, [no].
  std::vector<std::unique_ptr<TREBinCode>> Items;
  // opCode: the code; opStar/opPlus/opBound: the repeated code; opIfThen:
  // the condition code.
  TRECode* Code = nullptr;
  int Min = 0;
  int Max = 0;
  TRELoopKind LoopKind = lkGreedy;
  // opGroup: its number; opGoSub: the called group (0: the whole pattern).
  int GroupNumber = -1;
  // Verb argument (mark name).
  std::u16string Name;
  // Place in the pattern (0-based) of the item's token.
  int PatternPosition = 0;
  int PatternLength = 0;
};

class TREParser {
 public:
  // `codes` receives every code made; `groups` is cleared and filled.
  TREParser(std::u16string_view pattern, TREOptions options,
            std::vector<std::unique_ptr<TRECode>>& codes, TGroupCollection& groups);

  std::unique_ptr<TREBinCode> Parse();
  int GroupCount() const { return group_count_; }

 private:
  struct TPendingReference {
    TREBinCode* Node;
    TREToken Kind;
    int Number;
    std::u16string Name;
    bool DigitFallback;
    int Start;
    int End;
  };
  struct TGroupInfo {
    std::u16string Name;
    std::vector<std::u16string> ExtraNames;
    int PatternPosition = 0;
    TREBinCode* Node = nullptr;
  };

  std::unique_ptr<TREBinCode> RegExpr(bool branch_reset = false);
  std::unique_ptr<TREBinCode> Term();
  std::unique_ptr<TREBinCode> Factor();
  std::unique_ptr<TREBinCode> Primay();
  std::unique_ptr<TREBinCode> NewCharClassCode(bool negative);
  std::unique_ptr<TREBinCode> NewBinCode(TREOperator op);
  std::unique_ptr<TREBinCode> NewCodeNode(std::unique_ptr<TRECode> code);
  std::unique_ptr<TREBinCode> ParseLiteral();
  std::unique_ptr<TREBinCode> ParseGroupBody(std::unique_ptr<TREBinCode> node,
                                             bool branch_reset = false);
  std::unique_ptr<TREBinCode> ParseConditional();
  std::unique_ptr<TREBinCode> ParseAssertion();
  std::unique_ptr<TREBinCode> WithAutoCallout(std::unique_ptr<TREBinCode> item, int position,
                                              int length);
  std::unique_ptr<TREBinCode> NewCallout(int number, int position, int length);
  int OpenGroup(const std::u16string& name, int pattern_position);
  void CheckLookbehind(const TREBinCode& node, int start, int end) const;
  void ResolveReferences();
  void CheckNeverEndingRecursion(const TREBinCode& body, int group) const;
  [[noreturn]] void ErrorAt(std::u16string_view message, std::u16string_view argument,
                            int position) const;
  [[noreturn]] void ErrorNumber(int number, int position) const;
  bool IsQuantifier(TREToken kind) const;
  void EnterNesting();
  void LeaveNesting() { --nesting_; }

  std::u16string_view pattern_;
  TRELex lex_;
  std::vector<std::unique_ptr<TRECode>>& codes_;
  TGroupCollection& groups_;
  int group_count_ = 0;
  int nesting_ = 0;
  std::vector<TGroupInfo> group_info_;
  std::vector<TPendingReference> pending_;
};

}  // namespace tenrovel::regex
