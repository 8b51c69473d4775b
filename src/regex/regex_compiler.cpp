#include "regex/regex_compiler.h"

#include <algorithm>

#include "regex/regex_messages.h"

namespace tenrovel::regex {
namespace {

constexpr int kUnitsCap = 1 << 24;

int AddUnits(int a, int b) {
  return std::min(a + b, kUnitsCap);
}

int Unbounded(int max) {
  return max >= kMaxCount ? -1 : max;
}

TRENFAKind AssertionKind(TREOperator op) {
  switch (op) {
    case opAheadNoMatch:
      return nkAheadNoMatch;
    case opBehindMatch:
      return nkBehindMatch;
    case opBehindNoMatch:
      return nkBehindNoMatch;
    default:
      return nkAheadMatch;
  }
}

}  // namespace

int NodeMinUnits(const TREBinCode& node) {
  switch (node.Op) {
    case opCode:
      return node.Code->Kind() == ckCallout ? 0 : node.Code->MinUnits();
    case opConcat: {
      int sum = 0;
      for (const auto& item : node.Items) {
        sum = AddUnits(sum, NodeMinUnits(*item));
      }
      return sum;
    }
    case opUnion: {
      int least = kUnitsCap;
      for (const auto& item : node.Items) {
        least = std::min(least, NodeMinUnits(*item));
      }
      return least;
    }
    case opGroup:
    case opNoBackTrack:
      return NodeMinUnits(*node.Items[0]);
    case opStar:
    case opPlus:
    case opBound:
      return std::min(static_cast<long long>(node.Min) * node.Code->MinUnits(),
                      static_cast<long long>(kUnitsCap));
    case opLoop:
      return std::min(static_cast<long long>(node.Min) * NodeMinUnits(*node.Items[0]),
                      static_cast<long long>(kUnitsCap));
    case opIfThen:
    case opIfMatch: {
      const std::size_t first = node.Op == opIfMatch ? 1 : 0;
      const int yes = NodeMinUnits(*node.Items[first]);
      const int no = node.Items.size() > first + 1 ? NodeMinUnits(*node.Items[first + 1]) : 0;
      return std::min(yes, no);
    }
    default:
      return 0;
  }
}

int NodeMaxUnits(const TREBinCode& node) {
  switch (node.Op) {
    case opCode:
      return node.Code->Kind() == ckCallout ? 0 : node.Code->MaxUnits();
    case opConcat: {
      int sum = 0;
      for (const auto& item : node.Items) {
        const int units = NodeMaxUnits(*item);
        if (units < 0) {
          return -1;
        }
        sum = AddUnits(sum, units);
      }
      return sum;
    }
    case opUnion: {
      int most = 0;
      for (const auto& item : node.Items) {
        const int units = NodeMaxUnits(*item);
        if (units < 0) {
          return -1;
        }
        most = std::max(most, units);
      }
      return most;
    }
    case opGroup:
    case opNoBackTrack:
      return NodeMaxUnits(*node.Items[0]);
    case opIfThen:
    case opIfMatch: {
      int most = 0;
      for (std::size_t i = node.Op == opIfMatch ? 1 : 0; i < node.Items.size(); ++i) {
        const int units = NodeMaxUnits(*node.Items[i]);
        if (units < 0) {
          return -1;
        }
        most = std::max(most, units);
      }
      return most;
    }
    case opStar:
    case opPlus:
    case opBound:
    case opLoop:
    case opGoSub:
      return -1;
    default:
      return 0;
  }
}

namespace {

// Marks the groups that a call or recursion in `node` runs.
void MarkCalledGroups(const TREBinCode& node, std::vector<bool>& called) {
  if (node.Op == opGoSub && node.GroupNumber >= 0 &&
      static_cast<std::size_t>(node.GroupNumber) < called.size()) {
    called[static_cast<std::size_t>(node.GroupNumber)] = true;
  }
  for (const auto& item : node.Items) {
    if (item != nullptr) {
      MarkCalledGroups(*item, called);
    }
  }
}

}  // namespace

int TRENFA::NewState(TRENFAKind kind, int next, const TContext& context) {
  TRENFAState state;
  state.Kind = kind;
  state.Next = next;
  state.MemoLoop = context.Loop;
  program_.States.push_back(state);
  return static_cast<int>(program_.States.size()) - 1;
}

void TRENFA::MarkMemo(int state, int follow, const TContext& context) {
  if (context.InLookaround || context.InCalledGroup || !context.StarLikeLoops) {
    return;
  }
  TRENFAState& s = program_.States[static_cast<std::size_t>(state)];
  s.Flags |= kStateMemo;
  s.MemoLoop = context.Loop;
  s.MemoDepth = static_cast<std::uint8_t>(follow == 0 ? std::min(context.ZeroPrefix, 255) : 0);
  s.MemoIndex = program_.MemoPoints++;
}

int TRENFA::MarkName(const std::u16string& name) {
  if (name.empty()) {
    return -1;
  }
  auto& names = program_.MarkNames;
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) {
    return static_cast<int>(it - names.begin());
  }
  names.push_back(name);
  return static_cast<int>(names.size()) - 1;
}

const TRECode* TRENFA::FirstCode(const TREBinCode& node) const {
  switch (node.Op) {
    case opCode:
      return node.Code->IsZeroWidth() || node.Code->Kind() == ckCallout ||
                     node.Code->Kind() == ckReference || node.Code->Kind() == ckNamedReference
                 ? nullptr
                 : node.Code;
    case opConcat:
      for (const auto& item : node.Items) {
        if (item->Op == opEmply) {
          continue;
        }
        return FirstCode(*item);
      }
      return nullptr;
    case opGroup:
    case opNoBackTrack:
      return FirstCode(*node.Items[0]);
    case opStar:
    case opPlus:
    case opBound:
      return node.Min > 0 ? node.Code : nullptr;
    case opLoop:
      return node.Min > 0 ? FirstCode(*node.Items[0]) : nullptr;
    default:
      return nullptr;
  }
}

void TRENFA::Compile(const TREBinCode& root, int group_count) {
  program_.GroupCount = group_count;
  program_.GroupEntry.assign(static_cast<std::size_t>(group_count) + 1, -1);
  called_groups_.assign(static_cast<std::size_t>(group_count) + 1, false);
  MarkCalledGroups(root, called_groups_);
  TContext context;
  context.InCalledGroup = called_groups_[0];
  const int end = NewState(nkEnd, -1, context);
  program_.Start = Compile(root, end, context);
  program_.GroupEntry[0] = program_.Start;
  for (const int call : call_states_) {
    TRENFAState& state = program_.States[static_cast<std::size_t>(call)];
    state.Alt = program_.GroupEntry[static_cast<std::size_t>(state.Group)];
  }
  program_.RegisterCount =
      (group_count + 1) * kRegistersPerGroup + 2 * static_cast<int>(program_.Loops.size());
  if (!program_.HasCallouts) {
    DropRepeatedAlternatives();
  }
  program_.MemoAllowed = !(program_.HasBackReferences || program_.HasConditions ||
                           program_.HasCallouts || program_.HasVerbs);
  if (!program_.MemoAllowed) {
    for (TRENFAState& state : program_.States) {
      state.Flags &= static_cast<std::uint8_t>(~kStateMemo);
      state.MemoIndex = -1;
    }
    program_.MemoPoints = 0;
  }
  program_.CallMemoAllowed =
      program_.MemoAllowed && program_.HasCalls && !program_.HasGlobalPos && !program_.HasKeep;
}

int TRENFA::Compile(const TREBinCode& node, int next, const TContext& context) {
  switch (node.Op) {
    case opEmply:
      return next;
    case opCode: {
      const TRECodeKind kind = node.Code->Kind();
      if (kind == ckCallout) {
        program_.HasCallouts = true;
        const int state = NewState(nkCallout, next, context);
        program_.States[static_cast<std::size_t>(state)].Code = node.Code;
        return state;
      }
      if (kind == ckReference || kind == ckNamedReference) {
        program_.HasBackReferences = true;
      }
      if (kind == ckGlobalPos) {
        program_.HasGlobalPos = true;
      }
      const int state = NewState(nkChar, next, context);
      program_.States[static_cast<std::size_t>(state)].Code = node.Code;
      return state;
    }
    case opConcat: {
      int follow = context.Follow;
      int entry = next;
      for (auto it = node.Items.rbegin(); it != node.Items.rend(); ++it) {
        TContext item_context = context;
        item_context.Follow = follow;
        entry = Compile(**it, entry, item_context);
        follow = AddUnits(follow, NodeMinUnits(**it));
      }
      return entry;
    }
    case opUnion:
      return CompileUnion(node, next, context);
    case opGroup: {
      const int group = node.GroupNumber;
      const int end = NewState(nkGroupEnd, next, context);
      program_.States[static_cast<std::size_t>(end)].Group = group;
      constructs_.push_back({asCloseGroup, group});
      TContext body_context = context;
      body_context.InCalledGroup =
          context.InCalledGroup || called_groups_[static_cast<std::size_t>(group)];
      const int body = Compile(*node.Items[0], end, body_context);
      constructs_.pop_back();
      const int begin = NewState(nkGroupBegin, body, context);
      program_.States[static_cast<std::size_t>(begin)].Group = group;
      if (program_.GroupEntry[static_cast<std::size_t>(group)] < 0) {
        program_.GroupEntry[static_cast<std::size_t>(group)] = begin;
      }
      return begin;
    }
    case opStar:
    case opPlus:
    case opBound: {
      if (node.Max == 0) {
        return next;
      }
      const int state = NewState(node.Op == opStar   ? nkStar
                                 : node.Op == opPlus ? nkPlus
                                                     : nkBound,
                                 next, context);
      TRENFAState& s = program_.States[static_cast<std::size_t>(state)];
      s.Code = node.Code;
      s.Min = node.Min;
      s.Max = Unbounded(node.Max);
      s.LoopKind = node.LoopKind;
      if (node.Code->Kind() == ckGlobalPos) {
        program_.HasGlobalPos = true;
      }
      if (node.LoopKind != lkPossessive && node.Min != node.Max) {
        MarkMemo(state, context.Follow, context);
      }
      return state;
    }
    case opLoop:
      return CompileLoop(node, next, context);
    case opNoBackTrack: {
      const int match_end = NewState(nkMatchEnd, next, context);
      const int suspend = NewState(nkSuspend, -1, context);
      constructs_.push_back({asCloseAtomic, suspend});
      TContext body_context = context;
      const int body = Compile(*node.Items[0], match_end, body_context);
      constructs_.pop_back();
      program_.States[static_cast<std::size_t>(suspend)].Next = body;
      program_.States[static_cast<std::size_t>(suspend)].Alt = next;
      return suspend;
    }
    case opAheadMatch:
    case opAheadNoMatch:
    case opBehindMatch:
    case opBehindNoMatch: {
      const int match_end = NewState(nkMatchEnd, next, context);
      const int assertion = NewState(AssertionKind(node.Op), -1, context);
      const bool behind = node.Op == opBehindMatch || node.Op == opBehindNoMatch;
      program_.States[static_cast<std::size_t>(assertion)].Next =
          CompileAssertionBody(*node.Items[0], behind, match_end, context);
      program_.States[static_cast<std::size_t>(assertion)].Alt = next;
      return assertion;
    }
    case opKeepPattern:
      if (context.InLookaround) {
        return next;
      }
      program_.HasKeep = true;
      return NewState(nkKeepPattern, next, context);
    case opGoSub: {
      program_.HasCalls = true;
      const int state = NewState(nkGoSub, next, context);
      program_.States[static_cast<std::size_t>(state)].Group = node.GroupNumber;
      call_states_.push_back(state);
      return state;
    }
    case opIfThen: {
      program_.HasConditions = true;
      const int no = node.Items.size() > 1 ? Compile(*node.Items[1], next, context) : next;
      const int yes = Compile(*node.Items[0], next, context);
      const int state = NewState(nkIfThen, yes, context);
      program_.States[static_cast<std::size_t>(state)].Code = node.Code;
      program_.States[static_cast<std::size_t>(state)].Else = no;
      return state;
    }
    case opIfMatch: {
      program_.HasConditions = true;
      const int no = node.Items.size() > 2 ? Compile(*node.Items[2], next, context) : next;
      const int yes = Compile(*node.Items[1], next, context);
      const TREBinCode* condition = node.Items[0].get();
      const TREBinCode* callout = nullptr;
      if (condition->Op == opCode) {
        callout = condition;
        condition = nullptr;
      } else if (condition->Op == opConcat) {
        callout = condition->Items[0].get();
        condition = condition->Items[1].get();
      }
      int entry = yes;
      if (condition != nullptr) {
        const int match_end = NewState(nkMatchEnd, yes, context);
        const int state = NewState(nkIfMatch, -1, context);
        program_.States[static_cast<std::size_t>(state)].Min = AssertionKind(condition->Op);
        const bool behind = condition->Op == opBehindMatch || condition->Op == opBehindNoMatch;
        program_.States[static_cast<std::size_t>(state)].Next =
            CompileAssertionBody(*condition->Items[0], behind, match_end, context);
        program_.States[static_cast<std::size_t>(state)].Alt = yes;
        program_.States[static_cast<std::size_t>(state)].Else = no;
        entry = state;
      }
      if (callout != nullptr) {
        program_.HasCallouts = true;
        const int state = NewState(nkCallout, entry, context);
        program_.States[static_cast<std::size_t>(state)].Code = callout->Code;
        program_.States[static_cast<std::size_t>(state)].Flags |= kStateCondition;
        program_.States[static_cast<std::size_t>(state)].Else = no;
        entry = state;
      }
      return entry;
    }
    case opDefine: {
      const int state = NewState(nkDefine, next, context);
      TContext body_context = context;
      body_context.StarLikeLoops = false;
      Compile(*node.Items[0], next, body_context);
      return state;
    }
    case opFail:
      return NewState(nkFail, next, context);
    case opPrune:
      return CompileVerb(nkPrune, node, next, context);
    case opSkip:
      return CompileVerb(nkSkip, node, next, context);
    case opMark:
      return CompileVerb(nkMark, node, next, context);
    case opThen:
      program_.HasThen = true;
      return CompileVerb(nkThen, node, next, context);
    case opCommint:
      return CompileVerb(nkCommit, node, next, context);
    case opAccept: {
      program_.HasVerbs = true;
      const int state = NewState(nkAccept, next, context);
      std::vector<TREAcceptStep> chain;
      for (auto it = constructs_.rbegin(); it != constructs_.rend(); ++it) {
        chain.push_back({it->Kind, it->Value});
        if (it->Kind == asEndAssertion) {
          break;
        }
      }
      program_.AcceptChains.push_back(std::move(chain));
      program_.States[static_cast<std::size_t>(state)].Group =
          static_cast<int>(program_.AcceptChains.size()) - 1;
      return state;
    }
    default:
      return next;
  }
}

int TRENFA::CompileVerb(TRENFAKind kind, const TREBinCode& node, int next,
                        const TContext& context) {
  program_.HasVerbs = true;
  const int name = MarkName(node.Name);
  const int state = NewState(kind, next, context);
  program_.States[static_cast<std::size_t>(state)].Group = name;
  program_.States[static_cast<std::size_t>(state)].Alt = context.Branch;
  return state;
}

// Alternatives that enter the same state (empty ones: "a|||b") do the same
// work from the same place: after the first has failed, the others fail
// alike, and backtracking into each of them again multiplies the work of
// what encloses them (under recursion, at every level). Only a callout
// handler, called once per entry, could tell them apart.
void TRENFA::DropRepeatedAlternatives() {
  for (TRENFAState& state : program_.States) {
    if (state.Kind != nkEmpty || state.Alt < 0 || state.Max < 2) {
      continue;
    }
    const auto begin = static_cast<std::size_t>(state.Alt);
    std::size_t kept = begin + 1;
    for (std::size_t i = begin + 1; i < begin + static_cast<std::size_t>(state.Max); ++i) {
      const int entry = program_.Branches[i];
      if (std::find(program_.Branches.begin() + static_cast<std::ptrdiff_t>(begin),
                    program_.Branches.begin() + static_cast<std::ptrdiff_t>(kept),
                    entry) == program_.Branches.begin() + static_cast<std::ptrdiff_t>(kept)) {
        program_.Branches[kept] = entry;
        program_.BranchFirst[kept] = program_.BranchFirst[i];
        ++kept;
      }
    }
    state.Max = static_cast<int>(kept - begin);
  }
}

int TRENFA::CompileUnion(const TREBinCode& node, int next, const TContext& context) {
  const int branch = NewState(nkEmpty, -1, context);
  TContext alternative_context = context;
  alternative_context.Branch = branch;
  std::vector<int> entries;
  std::vector<const TRECode*> firsts;
  for (const auto& item : node.Items) {
    entries.push_back(Compile(*item, next, alternative_context));
    firsts.push_back(FirstCode(*item));
  }
  TRENFAState& state = program_.States[static_cast<std::size_t>(branch)];
  state.Alt = static_cast<int>(program_.Branches.size());
  state.Max = static_cast<int>(entries.size());
  state.Next = entries.front();
  program_.Branches.insert(program_.Branches.end(), entries.begin(), entries.end());
  program_.BranchFirst.insert(program_.BranchFirst.end(), firsts.begin(), firsts.end());
  MarkMemo(branch, AddUnits(NodeMinUnits(node), context.Follow), context);
  return branch;
}

int TRENFA::CompileLoop(const TREBinCode& node, int next, const TContext& context) {
  if (node.Max == 0) {
    return next;
  }
  if (node.LoopKind != lkPossessive) {
    return CompileLoop(*node.Items[0], node.Min, node.Max, node.LoopKind, next, context);
  }
  // A possessive loop is the greedy loop inside an atomic group.
  const int match_end = NewState(nkMatchEnd, next, context);
  const int suspend = NewState(nkSuspend, -1, context);
  constructs_.push_back({asCloseAtomic, suspend});
  const int loop = CompileLoop(*node.Items[0], node.Min, node.Max, lkGreedy, match_end, context);
  constructs_.pop_back();
  program_.States[static_cast<std::size_t>(suspend)].Next = loop;
  program_.States[static_cast<std::size_t>(suspend)].Alt = next;
  return suspend;
}

int TRENFA::CompileLoop(const TREBinCode& body, int min, int max_count, TRELoopKind kind, int next,
                        const TContext& context) {
  if (min == 1 && max_count == 1) {
    return Compile(body, next, context);
  }
  const int max = Unbounded(max_count);
  if (min == 0 && max == 1) {
    // X? is a branch: X then nothing, or (lazy) the other way round.
    const int branch = NewState(nkEmpty, -1, context);
    TContext body_context = context;
    const int entry = Compile(body, next, body_context);
    TRENFAState& state = program_.States[static_cast<std::size_t>(branch)];
    state.Alt = static_cast<int>(program_.Branches.size());
    state.Max = 2;
    const bool lazy = IsLazy(kind);
    program_.Branches.push_back(lazy ? next : entry);
    program_.Branches.push_back(lazy ? entry : next);
    program_.BranchFirst.push_back(lazy ? nullptr : FirstCode(body));
    program_.BranchFirst.push_back(lazy ? FirstCode(body) : nullptr);
    state.Next = program_.Branches[static_cast<std::size_t>(state.Alt)];
    MarkMemo(branch, context.Follow, context);
    return branch;
  }
  const int loop = static_cast<int>(program_.Loops.size());
  program_.Loops.push_back({context.Loop, -1});
  const int head = NewState(nkLoop, next, context);
  const int tail = NewState(nkLoopEnd, head, context);
  {
    TRENFAState& h = program_.States[static_cast<std::size_t>(head)];
    h.Loop = loop;
    h.Min = min;
    h.Max = max;
    h.LoopKind = IsLazy(kind) ? lkReluctant : lkGreedy;
    TRENFAState& t = program_.States[static_cast<std::size_t>(tail)];
    t.Loop = loop;
    t.Alt = head;
  }
  program_.Loops[static_cast<std::size_t>(loop)].Head = head;
  const bool star_like = min <= 1 && max < 0;
  if (star_like) {
    MarkMemo(head, context.Follow, context);
  }
  TContext body_context = context;
  body_context.Follow = 0;
  body_context.ZeroPrefix = 1 + (context.Follow == 0 ? context.ZeroPrefix : 0);
  body_context.Loop = loop;
  body_context.StarLikeLoops = context.StarLikeLoops && star_like;
  const int entry = Compile(body, tail, body_context);
  program_.States[static_cast<std::size_t>(head)].Alt = entry;
  return head;
}

int TRENFA::CompileAssertionBody(const TREBinCode& body, bool behind, int match_end,
                                 const TContext& context) {
  TContext body_context = context;
  body_context.InLookaround = true;
  body_context.Branch = -1;
  constructs_.push_back({asEndAssertion, match_end});
  int entry = match_end;
  if (!behind) {
    entry = Compile(body, match_end, body_context);
  } else {
    // Each alternative steps back by as many units as it may take and must
    // end where the assertion stands.
    std::vector<const TREBinCode*> alternatives;
    if (body.Op == opUnion) {
      for (const auto& item : body.Items) {
        alternatives.push_back(item.get());
      }
    } else {
      alternatives.push_back(&body);
    }
    std::vector<int> entries;
    for (const TREBinCode* alternative : alternatives) {
      const int alternative_entry = Compile(*alternative, match_end, body_context);
      const int step = NewState(nkBehindStep, alternative_entry, body_context);
      program_.States[static_cast<std::size_t>(step)].Min = NodeMinUnits(*alternative);
      program_.States[static_cast<std::size_t>(step)].Max = NodeMaxUnits(*alternative);
      entries.push_back(step);
    }
    if (entries.size() == 1) {
      entry = entries.front();
    } else {
      entry = NewState(nkEmpty, -1, body_context);
      TRENFAState& state = program_.States[static_cast<std::size_t>(entry)];
      state.Alt = static_cast<int>(program_.Branches.size());
      state.Max = static_cast<int>(entries.size());
      state.Next = entries.front();
      program_.Branches.insert(program_.Branches.end(), entries.begin(), entries.end());
      program_.BranchFirst.insert(program_.BranchFirst.end(), entries.size(), nullptr);
    }
  }
  constructs_.pop_back();
  return entry;
}

}  // namespace tenrovel::regex
