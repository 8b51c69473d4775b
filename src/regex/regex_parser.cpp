#include "regex/regex_parser.h"

#include <algorithm>

#include "regex/regex_messages.h"
#include "regex/regex_utf.h"

namespace tenrovel::regex {
namespace {

std::u16string WithEllipsis(std::u16string_view text) {
  std::u16string out(text);
  if (!out.empty()) {
    out += u"...";
  }
  return out;
}

bool IsLookahead(TREOperator op) { return op == opAheadMatch || op == opAheadNoMatch; }

bool IsLookaround(TREToken kind) {
  return kind == tkAheadMatch || kind == tkAheadNoMatch || kind == tkBehindMatch ||
         kind == tkBehindNoMatch;
}

TRECodeKind ClassEscapeKind(TREToken kind, bool& negative) {
  switch (kind) {
    case tkWordChar:
    case tkNEWordChar:
      negative = kind == tkNEWordChar;
      return ckWordChar;
    case tkDigitChar:
    case tkNEDigitChar:
      negative = kind == tkNEDigitChar;
      return ckDigitChar;
    case tkSpaceChar:
    case tkNESpaceChar:
      negative = kind == tkNESpaceChar;
      return ckSpaceChar;
    case tkHorizontalSpaceChar:
    case tkNEHorizontalSpaceChar:
      negative = kind == tkNEHorizontalSpaceChar;
      return ckHorizontalSpaceChar;
    default:
      negative = kind == tkNEVerticalSpaceChar;
      return ckVerticalSpaceChar;
  }
}

bool IsClassEscape(TREToken kind) {
  return (kind >= tkWordChar && kind <= tkNESpaceChar) ||
         (kind >= tkHorizontalSpaceChar && kind <= tkNEVerticalSpaceChar);
}

}  // namespace

TREParser::TREParser(std::u16string_view pattern, TREOptions options,
                     std::vector<std::unique_ptr<TRECode>>& codes, TGroupCollection& groups)
    : pattern_(pattern), lex_(pattern, options, group_count_), codes_(codes), groups_(groups) {
  group_info_.emplace_back();
}

void TREParser::ErrorAt(std::u16string_view message, std::u16string_view argument,
                        int position) const {
  throw ERegExpCompile(CompileErrorText(FormatMessage(message, argument), pattern_, position));
}

void TREParser::ErrorNumber(int number, int position) const {
  throw ERegExpCompile(
      CompileErrorText(FormatMessage(sInvalidGroupNumber, number), pattern_, position));
}

bool TREParser::IsQuantifier(TREToken kind) const {
  return kind == tkQuest || kind == tkStar || kind == tkPlus || kind == tkBound;
}

void TREParser::EnterNesting() {
  if (++nesting_ > kMaxNesting) {
    const TRELexToken& token = lex_.Token();
    ErrorAt(sNestingTooDeep,
            WithEllipsis(pattern_.substr(static_cast<std::size_t>(token.Start),
                                         static_cast<std::size_t>(token.Length))),
            token.Start + token.Length);
  }
}

std::unique_ptr<TREBinCode> TREParser::NewBinCode(TREOperator op) {
  auto node = std::make_unique<TREBinCode>();
  node->Op = op;
  node->PatternPosition = lex_.Token().Start;
  node->PatternLength = lex_.Token().Length;
  return node;
}

std::unique_ptr<TREBinCode> TREParser::NewCodeNode(std::unique_ptr<TRECode> code) {
  auto node = NewBinCode(opCode);
  node->Code = code.get();
  codes_.push_back(std::move(code));
  return node;
}

std::unique_ptr<TREBinCode> TREParser::NewCallout(int number, int position, int length) {
  return NewCodeNode(std::make_unique<TRECalloutCode>(number, position, length));
}

int TREParser::OpenGroup(const std::u16string& name, int pattern_position) {
  const int number = ++group_count_;
  if (number < static_cast<int>(group_info_.size())) {
    // A branch reset reuses the number: the name is one more of its names.
    TGroupInfo& info = group_info_[static_cast<std::size_t>(number)];
    if (!name.empty() && name != info.Name &&
        std::find(info.ExtraNames.begin(), info.ExtraNames.end(), name) == info.ExtraNames.end()) {
      if (info.Name.empty()) {
        info.Name = name;
      } else {
        info.ExtraNames.push_back(name);
      }
    }
    return number;
  }
  TGroupInfo info;
  info.Name = name;
  info.PatternPosition = pattern_position;
  group_info_.push_back(std::move(info));
  return number;
}

std::unique_ptr<TREBinCode> TREParser::Parse() {
  groups_.Clear();
  lex_.GetToken();
  auto root = RegExpr();
  if (lex_.Token().Kind == tkRPar) {
    ErrorAt(sUnmatchedSmallPar, u")...", lex_.Token().Start + 1);
  }
  if (lex_.Token().Kind != tkEnd) {
    ErrorAt(sRegExpNotCompleted, u"", lex_.Token().Start);
  }
  ResolveReferences();
  for (int number = 1; number <= group_count_; ++number) {
    const TGroupInfo& info = group_info_[static_cast<std::size_t>(number)];
    groups_.Add(info.Name, info.PatternPosition);
    for (const std::u16string& name : info.ExtraNames) {
      groups_.AddName(number, name);
    }
  }
  groups_.ChainSameNames();
  CheckNeverEndingRecursion(*root, 0);
  for (int number = 1; number <= group_count_; ++number) {
    if (const TREBinCode* node = group_info_[static_cast<std::size_t>(number)].Node) {
      CheckNeverEndingRecursion(*node->Items[0], number);
    }
  }
  return root;
}

std::unique_ptr<TREBinCode> TREParser::RegExpr(bool branch_reset) {
  const int base = group_count_;
  int highest = base;
  auto first = Term();
  highest = std::max(highest, group_count_);
  if (lex_.Token().Kind != tkUnion) {
    return first;
  }
  auto node = NewBinCode(opUnion);
  node->Items.push_back(std::move(first));
  while (lex_.Token().Kind == tkUnion) {
    lex_.GetToken();
    if (branch_reset) {
      group_count_ = base;
    }
    node->Items.push_back(Term());
    highest = std::max(highest, group_count_);
  }
  if (branch_reset) {
    group_count_ = highest;
  }
  return node;
}

std::unique_ptr<TREBinCode> TREParser::Term() {
  auto node = NewBinCode(opConcat);
  for (;;) {
    const TREToken kind = lex_.Token().Kind;
    if (kind == tkUnion || kind == tkRPar || kind == tkEnd) {
      break;
    }
    node->Items.push_back(Factor());
  }
  if (node->Items.empty()) {
    node->Op = opEmply;
    return node;
  }
  if (node->Items.size() == 1) {
    return std::move(node->Items[0]);
  }
  return node;
}

std::unique_ptr<TREBinCode> TREParser::WithAutoCallout(std::unique_ptr<TREBinCode> item,
                                                       int position, int length) {
  auto node = NewBinCode(opConcat);
  node->Items.push_back(NewCallout(255, position, length));
  node->Items.push_back(std::move(item));
  return node;
}

std::unique_ptr<TREBinCode> TREParser::Factor() {
  const TRELexToken first = lex_.Token();
  if (IsQuantifier(first.Kind)) {
    ErrorAt(sNothingToRepeat,
            WithEllipsis(pattern_.substr(static_cast<std::size_t>(first.Start),
                                         static_cast<std::size_t>(first.Length))),
            first.Start + first.Length);
  }
  auto item = Primay();
  const bool auto_callout = first.Options.Contains(roAutoCallout);
  const int item_length = lex_.Token().Start - first.Start;
  if (!IsQuantifier(lex_.Token().Kind)) {
    return auto_callout ? WithAutoCallout(std::move(item), first.Start, item_length)
                        : std::move(item);
  }
  const TRELexToken quantifier = lex_.Token();
  lex_.GetToken();
  TRELoopKind kind = lkGreedy;
  if (lex_.Token().Kind == tkQuest) {
    kind = lkReluctant;
    lex_.GetToken();
  } else if (lex_.Token().Kind == tkPlus) {
    kind = lkPossessive;
    lex_.GetToken();
  }
  if (IsLookahead(item->Op)) {
    ErrorAt(sLoopOfMatchAheadNotSpecified, u"", quantifier.Start + quantifier.Length);
  }
  if (item->Op == opCode) {
    const TRECodeKind code_kind = item->Code->Kind();
    if (code_kind == ckBoundary || code_kind == ckTextHead || code_kind == ckTextTail ||
        code_kind == ckTextEnd) {
      ErrorAt(sLoopOfLengthZeroCannotSpecified,
              WithEllipsis(pattern_.substr(static_cast<std::size_t>(quantifier.Start),
                                           static_cast<std::size_t>(quantifier.Length))),
              quantifier.Start + quantifier.Length);
    }
  }
  std::unique_ptr<TREBinCode> node;
  if (item->Op == opCode && item->Code->IsSimpleRepeatable()) {
    const bool star = quantifier.Min == 0 && quantifier.Max == kMaxCount;
    const bool plus = quantifier.Min == 1 && quantifier.Max == kMaxCount;
    node = NewBinCode(star ? opStar : plus ? opPlus : opBound);
    node->Code = item->Code;
    if (kind == lkReluctant) {
      kind = lkSimpleReluctant;
    } else if (star && kind != lkReluctant) {
      if (item->Code->Kind() == ckAnyChar) {
        kind = kind == lkPossessive ? lkPossessive : lkAny;
      } else if (item->Code->Kind() == ckCombiningSequence && kind == lkGreedy) {
        kind = lkCombiningSequence;
      }
    }
  } else {
    node = NewBinCode(opLoop);
    node->Items.push_back(std::move(item));
  }
  node->Min = quantifier.Min;
  node->Max = quantifier.Max;
  node->LoopKind = kind;
  node->PatternPosition = first.Start;
  node->PatternLength = quantifier.Start + quantifier.Length - first.Start;
  if (!auto_callout) {
    return node;
  }
  auto with_callouts = NewBinCode(opConcat);
  with_callouts->Items.push_back(NewCallout(255, first.Start, item_length));
  with_callouts->Items.push_back(NewCallout(255, quantifier.Start, quantifier.Length));
  with_callouts->Items.push_back(std::move(node));
  return with_callouts;
}

std::unique_ptr<TREBinCode> TREParser::ParseLiteral() {
  const TREOptions options = lex_.Token().Options;
  std::u16string text;
  AppendCodePoint(text, lex_.Token().Char);
  int count = 1;
  lex_.GetToken();
  if (!options.Contains(roAutoCallout)) {
    while (lex_.Token().Kind == tkChar && lex_.Token().Options == options) {
      // A character that a quantifier follows is an item of its own.
      const TRELex::TState state = lex_.Save();
      lex_.GetToken();
      const bool quantified = IsQuantifier(lex_.Token().Kind);
      lex_.Assign(state);
      if (quantified) {
        break;
      }
      AppendCodePoint(text, lex_.Token().Char);
      ++count;
      lex_.GetToken();
    }
  }
  const TRECompareOptions compare = REOptionToCompareOptions(options);
  if (count == 1) {
    int length = 0;
    const char32_t c = ReadCodePoint(text.data(), 0, static_cast<int>(text.size()), length);
    return NewCodeNode(std::make_unique<TRECharCode>(c, compare));
  }
  return NewCodeNode(std::make_unique<TRELiteralCode>(std::move(text), compare));
}

std::unique_ptr<TREBinCode> TREParser::NewCharClassCode(bool negative) {
  const TRELexToken open = lex_.Token();
  const TREOptions options = open.Options;
  const bool legacy = options.Contains(roDefinedCharClassLegacy);
  std::vector<std::pair<char32_t, char32_t>> ranges;
  std::vector<TREClassItem> items;
  for (;;) {
    lex_.GetToken();
    const TRELexToken token = lex_.Token();
    if (token.Kind == tkCharClassEnd) {
      break;
    }
    if (token.Kind == tkChar) {
      const char32_t low = token.Char;
      const TRELex::TState after_low = lex_.Save();
      lex_.GetToken();
      if (lex_.Token().Kind == tkChar && lex_.Token().Char == u'-' && !lex_.Token().Escaped) {
        const TRELex::TState after_dash = lex_.Save();
        lex_.GetToken();
        if (lex_.Token().Kind == tkChar) {
          const char32_t high = lex_.Token().Char;
          if (high < low) {
            const int end = lex_.Token().Start + lex_.Token().Length;
            ErrorAt(sInvalideBigParRange,
                    pattern_.substr(static_cast<std::size_t>(token.Start),
                                    static_cast<std::size_t>(end - token.Start)),
                    end);
          }
          ranges.emplace_back(low, high);
          continue;
        }
        // "a-" before ']' or before a class escape: both are characters.
        lex_.Assign(after_dash);
        ranges.emplace_back(low, low);
        ranges.emplace_back(u'-', u'-');
        continue;
      }
      lex_.Assign(after_low);
      ranges.emplace_back(low, low);
      continue;
    }
    if (IsClassEscape(token.Kind)) {
      bool negative_item = false;
      const TRECodeKind kind = ClassEscapeKind(token.Kind, negative_item);
      items.push_back({kind, 0, negative_item, legacy});
      continue;
    }
    if (token.Kind == tkPosixBracket || token.Kind == tkNEPosixBracket ||
        token.Kind == tkProperty || token.Kind == tkNEProperty) {
      const bool negative_item = token.Kind == tkNEPosixBracket || token.Kind == tkNEProperty;
      items.push_back({token.IsPosix ? ckPosixCharClass : ckProperty, token.Value, negative_item,
                       legacy});
      continue;
    }
    ErrorAt(sInvalidCharactorClass, u"", token.Start + token.Length);
  }
  const int end = lex_.Token().Start + lex_.Token().Length;
  if (ranges.empty() && items.empty()) {
    ErrorAt(sInvalidCharactorClass,
            WithEllipsis(pattern_.substr(static_cast<std::size_t>(open.Start),
                                         static_cast<std::size_t>(end - open.Start))),
            end);
  }
  lex_.GetToken();
  const TRECompareOptions compare = REOptionToCompareOptions(options);
  auto code = std::make_unique<TRECharClassCode>(std::move(ranges), std::move(items), negative,
                                                 compare);
  char32_t single = 0;
  std::unique_ptr<TREBinCode> node;
  if (code->IsSingleChar(single)) {
    node = NewCodeNode(std::make_unique<TRECharCode>(single, compare));
  } else {
    node = NewCodeNode(std::move(code));
  }
  node->PatternPosition = open.Start;
  node->PatternLength = end - open.Start;
  return node;
}

std::unique_ptr<TREBinCode> TREParser::ParseGroupBody(std::unique_ptr<TREBinCode> node,
                                                      bool branch_reset) {
  const int open_start = lex_.Token().Start;
  lex_.GetToken();
  auto body = RegExpr(branch_reset);
  if (lex_.Token().Kind != tkRPar) {
    ErrorAt(sUnmatchedSmallPar, u"", static_cast<int>(pattern_.size()));
  }
  node->PatternLength = lex_.Token().Start + 1 - open_start;
  lex_.GetToken();
  node->Items.insert(node->Items.begin(), std::move(body));
  LeaveNesting();
  return node;
}

std::unique_ptr<TREBinCode> TREParser::ParseAssertion() {
  const TRELexToken open = lex_.Token();
  EnterNesting();
  TREOperator op = opAheadMatch;
  switch (open.Kind) {
    case tkAheadNoMatch:
      op = opAheadNoMatch;
      break;
    case tkBehindMatch:
      op = opBehindMatch;
      break;
    case tkBehindNoMatch:
      op = opBehindNoMatch;
      break;
    default:
      break;
  }
  auto node = ParseGroupBody(NewBinCode(op));
  if (op == opBehindMatch || op == opBehindNoMatch) {
    CheckLookbehind(*node->Items[0], open.Start, open.Start + node->PatternLength);
  }
  return node;
}

void TREParser::CheckLookbehind(const TREBinCode& node, int start, int end) const {
  bool variable = false;
  switch (node.Op) {
    case opStar:
    case opPlus:
    case opBound:
    case opLoop:
    case opGoSub:
      variable = true;
      break;
    case opCode:
      variable = node.Code->Kind() != ckCallout && node.Code->MaxUnits() < 0;
      break;
    default:
      break;
  }
  if (variable) {
    ErrorAt(sBehindMatchNotVariableLength,
            WithEllipsis(pattern_.substr(static_cast<std::size_t>(start),
                                         static_cast<std::size_t>(end - start))),
            end);
  }
  for (const auto& item : node.Items) {
    CheckLookbehind(*item, start, end);
  }
}

std::unique_ptr<TREBinCode> TREParser::ParseConditional() {
  const TRELexToken open = lex_.Token();
  EnterNesting();
  std::unique_ptr<TREBinCode> node;
  std::unique_ptr<TREBinCode> condition;
  switch (open.Kind) {
    case tkDefine:
      return ParseGroupBody(NewBinCode(opDefine));
    case tkIfMatchRef:
    case tkInSubRef: {
      node = NewBinCode(opIfThen);
      const bool named = !open.Name.empty();
      const TRECodeKind kind = open.Kind == tkIfMatchRef
                                   ? (named ? ckIfThenNamedReference : ckIfThenReference)
                                   : (named ? ckInSubNameReference : ckInSubReference);
      std::vector<int> groups;
      if (!named && open.Min >= 0) {
        groups.push_back(open.Min);
      }
      auto code = std::make_unique<TREConditionCode>(kind, std::move(groups), open.Name);
      node->Code = code.get();
      codes_.push_back(std::move(code));
      if (named || open.Min >= 0) {
        pending_.push_back({node.get(), open.Kind, open.Min, open.Name, false, open.Start,
                            open.Start + open.Length});
      }
      lex_.GetToken();
      break;
    }
    default: {
      // tkIfMatch: the assertion or callout that follows is the condition.
      node = NewBinCode(opIfMatch);
      lex_.GetToken();
      if (lex_.Token().Kind == tkCallout) {
        const TRELexToken callout = lex_.Token();
        lex_.GetToken();
        condition = NewCallout(callout.Min, lex_.Token().Start, lex_.Token().Length);
        if (IsLookaround(lex_.Token().Kind)) {
          auto both = NewBinCode(opConcat);
          both->Items.push_back(std::move(condition));
          both->Items.push_back(ParseAssertion());
          condition = std::move(both);
        }
      } else if (IsLookaround(lex_.Token().Kind)) {
        condition = ParseAssertion();
      } else {
        ErrorAt(sInvalideCondition, u"", lex_.Token().Start + lex_.Token().Length);
      }
      break;
    }
  }
  // The token after the condition is current; the body runs to ')'.
  auto body = RegExpr();
  if (lex_.Token().Kind != tkRPar) {
    ErrorAt(sUnmatchedSmallPar, u"", static_cast<int>(pattern_.size()));
  }
  if (body->Op == opUnion && body->Items.size() > 2) {
    ErrorAt(sContainsTooManyBranches, u"", lex_.Token().Start);
  }
  node->PatternLength = lex_.Token().Start + 1 - open.Start;
  lex_.GetToken();
  if (condition) {
    node->Items.push_back(std::move(condition));
  }
  if (body->Op == opUnion) {
    for (auto& branch : body->Items) {
      node->Items.push_back(std::move(branch));
    }
  } else {
    node->Items.push_back(std::move(body));
  }
  LeaveNesting();
  return node;
}

std::unique_ptr<TREBinCode> TREParser::Primay() {
  const TRELexToken token = lex_.Token();
  const TRECompareOptions compare = REOptionToCompareOptions(token.Options);
  const bool legacy = token.Options.Contains(roDefinedCharClassLegacy);
  const auto code_node = [&](std::unique_ptr<TRECode> code) {
    auto node = NewCodeNode(std::move(code));
    lex_.GetToken();
    return node;
  };
  const auto verb_node = [&](TREOperator op) {
    auto node = NewBinCode(op);
    node->Name = token.Name;
    lex_.GetToken();
    return node;
  };
  switch (token.Kind) {
    case tkChar:
      return ParseLiteral();
    case tkDot:
      return code_node(std::make_unique<TREAnyCharCode>(
          !token.Escaped && token.Options.Contains(roSingleLine), compare));
    case tkLHead:
      return code_node(std::make_unique<TREAnchorCode>(
          ckLineHead, token.Options.Contains(roMultiLine), legacy, compare));
    case tkLTail:
      return code_node(std::make_unique<TREAnchorCode>(
          ckLineTail, token.Options.Contains(roMultiLine), legacy, compare));
    case tkTHead:
      return code_node(std::make_unique<TREAnchorCode>(ckTextHead, false, legacy, compare));
    case tkTTail:
      return code_node(std::make_unique<TREAnchorCode>(ckTextTail, false, legacy, compare));
    case tkTTailEnd:
      return code_node(std::make_unique<TREAnchorCode>(ckTextEnd, false, legacy, compare));
    case tkGlobalPos:
      return code_node(std::make_unique<TREAnchorCode>(ckGlobalPos, false, legacy, compare));
    case tkWordBoundary:
    case tkNEWordBoundary:
      return code_node(std::make_unique<TREAnchorCode>(
          ckBoundary, token.Kind == tkNEWordBoundary, legacy, compare));
    case tkLineBreak:
      return code_node(std::make_unique<TRELineBreakCharCode>(compare));
    case tkCombiningSequence:
      return code_node(std::make_unique<TRECombiningSequence>(compare));
    case tkProperty:
    case tkNEProperty: {
      const bool negative = token.Kind == tkNEProperty;
      if (token.IsPosix) {
        return code_node(std::make_unique<TREPosixCharClassCode>(
            static_cast<TREPosixClassKind>(token.Value), negative, compare));
      }
      return code_node(std::make_unique<TREPropertyCode>(
          static_cast<TUnicodeProperty>(token.Value), negative, compare));
    }
    case tkCharClassFirst:
    case tkNegativeCharClassFirst:
      return NewCharClassCode(token.Kind == tkNegativeCharClassFirst);
    case tkGroupBegin: {
      EnterNesting();
      auto node = NewBinCode(opGroup);
      node->GroupNumber = OpenGroup(token.Name, token.Start + 1);
      TGroupInfo& info = group_info_[static_cast<std::size_t>(node->GroupNumber)];
      if (info.Node == nullptr) {
        info.Node = node.get();
      }
      return ParseGroupBody(std::move(node));
    }
    case tkLPar:
    case tkLParWithOption: {
      EnterNesting();
      auto node = ParseGroupBody(NewBinCode(opConcat));
      return std::move(node->Items[0]);
    }
    case tkBranchReset: {
      EnterNesting();
      auto node = ParseGroupBody(NewBinCode(opConcat), true);
      return std::move(node->Items[0]);
    }
    case tkNoBackTrack:
      EnterNesting();
      return ParseGroupBody(NewBinCode(opNoBackTrack));
    case tkAheadMatch:
    case tkAheadNoMatch:
    case tkBehindMatch:
    case tkBehindNoMatch:
      return ParseAssertion();
    case tkIfMatch:
    case tkIfMatchRef:
    case tkInSubRef:
    case tkDefine:
      return ParseConditional();
    case tkKeepPattern:
      return verb_node(opKeepPattern);
    case tkReference:
    case tkReferenceRelative:
    case tkNamedReference: {
      int number = token.Min;
      if (token.Kind == tkReferenceRelative) {
        number = group_count_ + 1 + token.Min;
        if (number < 1) {
          ErrorNumber(number, token.Start + token.Length);
        }
      }
      const TRECodeKind kind = token.Kind == tkNamedReference ? ckNamedReference : ckReference;
      auto node = NewCodeNode(std::make_unique<TREReferenceCode>(
          kind, kind == ckReference ? std::vector<int>{number} : std::vector<int>{}, compare));
      pending_.push_back({node.get(), token.Kind == tkNamedReference ? tkNamedReference : tkReference,
                          number, token.Name, token.Escaped, token.Start,
                          token.Start + token.Length});
      lex_.GetToken();
      return node;
    }
    case tkGoSub:
    case tkGoSubRelative:
    case tkGoSubName: {
      auto node = NewBinCode(opGoSub);
      int number = token.Min;
      if (token.Kind == tkGoSubRelative) {
        number = token.Min > 0 ? group_count_ + token.Min : group_count_ + 1 + token.Min;
        if (number < 1) {
          ErrorNumber(number, token.Start + token.Length);
        }
      }
      node->GroupNumber = number;
      node->Name = token.Name;
      pending_.push_back({node.get(), token.Kind == tkGoSubName ? tkGoSubName : tkGoSub, number,
                          token.Name, false, token.Start, token.Start + token.Length});
      lex_.GetToken();
      return node;
    }
    case tkCallout: {
      lex_.GetToken();
      auto node = NewCallout(token.Min, lex_.Token().Start, lex_.Token().Length);
      node->PatternPosition = token.Start;
      node->PatternLength = token.Length;
      return node;
    }
    case tkFail:
      return verb_node(opFail);
    case tkbcPrune:
      return verb_node(opPrune);
    case tkbcSkip:
      return verb_node(opSkip);
    case tkbcMark:
      return verb_node(opMark);
    case tkbcThen:
      return verb_node(opThen);
    case tkbcCommit:
      return verb_node(opCommint);
    case tkbcAccept:
      return verb_node(opAccept);
    case tkEmpty:
    case tkOption:
      return verb_node(opEmply);
    default:
      ErrorAt(sRegExpNotCompleted, u"", token.Start);
  }
}

void TREParser::ResolveReferences() {
  for (const TPendingReference& reference : pending_) {
    std::vector<int> named;
    if (!reference.Name.empty()) {
      for (int number = 1; number <= group_count_; ++number) {
        const TGroupInfo& info = group_info_[static_cast<std::size_t>(number)];
        if (info.Name == reference.Name ||
            std::find(info.ExtraNames.begin(), info.ExtraNames.end(), reference.Name) !=
                info.ExtraNames.end()) {
          named.push_back(number);
        }
      }
      if (named.empty()) {
        ErrorAt(sInvalidGroupName, reference.Name, reference.End);
      }
    } else if (reference.Number > group_count_ ||
               (reference.Kind != tkGoSub && reference.Number < 1)) {
      if (reference.DigitFallback) {
        // \8 and \9 with fewer groups in the whole pattern: the digit.
        const TRECode& old = *reference.Node->Code;
        auto digit = std::make_unique<TRECharCode>(static_cast<char32_t>(u'0' + reference.Number),
                                                   old.CompareOptions());
        reference.Node->Code = digit.get();
        codes_.push_back(std::move(digit));
        continue;
      }
      ErrorNumber(reference.Number, reference.End);
    }
    switch (reference.Kind) {
      case tkReference:
      case tkNamedReference: {
        auto& code = static_cast<TREReferenceCode&>(*reference.Node->Code);
        if (!named.empty()) {
          code.SetGroups(named);
        }
        break;
      }
      case tkGoSub:
      case tkGoSubName:
        if (!named.empty()) {
          if (named.size() > 1) {
            ErrorAt(sCannotCallMultipleDefineGroupName, reference.Name, reference.End);
          }
          reference.Node->GroupNumber = named.front();
        }
        break;
      default: {
        auto& code = static_cast<TREConditionCode&>(*reference.Node->Code);
        code.SetGroups(named.empty() ? std::vector<int>{reference.Number} : named);
        break;
      }
    }
  }
}

void TREParser::CheckNeverEndingRecursion(const TREBinCode& body, int group) const {
  const auto is_self_call = [group](const TREBinCode& node) {
    return node.Op == opGoSub && node.GroupNumber == group;
  };
  const TREBinCode* offender = nullptr;
  if (is_self_call(body)) {
    offender = &body;
  } else if (body.Op == opUnion) {
    for (const auto& branch : body.Items) {
      if (is_self_call(*branch)) {
        offender = branch.get();
        break;
      }
    }
  }
  if (offender != nullptr) {
    ErrorAt(sNeverEndingRecursion,
            WithEllipsis(pattern_.substr(static_cast<std::size_t>(offender->PatternPosition),
                                         static_cast<std::size_t>(offender->PatternLength))),
            offender->PatternPosition + offender->PatternLength);
  }
}

}  // namespace tenrovel::regex
