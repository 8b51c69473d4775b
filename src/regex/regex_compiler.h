// The compiler of the engine: turns the parse tree into the program of NFA
// states that the matcher runs.
//
// Takes: the tree of TREParser and its group count. Gives: a
// TRECompiledProgram: the state list (each state one step of the matcher,
// linked by the index of the next state), the alternatives of each branch
// point, the counted loops, the entry state of every group (for subroutine
// calls), the mark names, and what the failure memo may use: which branch
// points, repetitions and loops it may key by (state, position) alone, and
// when. The prefilter data (regex_prefilter.h) is added by the optimiser.
// Recursion follows the tree, whose depth the parser bounds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "regex/regex_codes.h"
#include "regex/regex_parser.h"
#include "regex/regex_prefilter.h"

namespace tenrovel::regex {

enum TRENFAKind : std::uint8_t {
  nkNormal,
  nkChar,
  nkEmpty,
  nkStar,
  nkPlus,
  nkBound,
  nkQuest,
  nkLoop,
  nkLoopExit,
  nkLoopEnd,
  nkGroupBegin,
  nkGroupEnd,
  nkKeepPattern,
  nkSuspend,
  nkMatchEnd,
  nkEnd,
  nkGoSub,
  nkAheadMatch,
  nkAheadNoMatch,
  nkBehindMatch,
  nkBehindNoMatch,
  nkIfMatch,
  nkIfThen,
  nkCallout,
  nkDefine,
  nkFail,
  nkPrune,
  nkSkip,
  nkMark,
  nkThen,
  nkCommit,
  nkAccept,
  // Moves back to where one lookbehind alternative may start.
  nkBehindStep,
};

// The failure memo may key this state by (state, position).
inline constexpr std::uint8_t kStateMemo = 1;
// nkCallout: a condition (fails to Else instead of failing).
inline constexpr std::uint8_t kStateCondition = 2;

struct TRENFAState {
  TRENFAKind Kind = nkNormal;
  TRELoopKind LoopKind = lkGreedy;
  std::uint8_t Flags = 0;
  // How many of the enclosing loops (innermost first, from MemoLoop) the
  // memo must check: their iteration must not have started at the position.
  std::uint8_t MemoDepth = 0;
  // nkChar, nkStar/nkPlus/nkBound: the code; nkIfThen: the condition;
  // nkCallout: the callout.
  const TRECode* Code = nullptr;
  int Next = -1;
  // nkEmpty: first index into Branches; nkLoop: body entry; nkSuspend,
  // lookarounds: the state after the construct; nkIfMatch: the yes branch;
  // nkGoSub: the called group's entry; nkLoopEnd: its nkLoop; nkThen: the
  // nkEmpty of the enclosing alternation (-1: none).
  int Alt = -1;
  // nkIfThen, nkIfMatch, condition callouts: the no branch.
  int Else = -1;
  // Counts (-1: no upper bound); nkEmpty: Max alternatives; nkBehindStep:
  // unit range; nkIfMatch: Min is the TRENFAKind of its assertion.
  int Min = 0;
  int Max = 0;
  // nkLoop, nkLoopEnd: the loop's index.
  int Loop = -1;
  // The innermost loop around the memo's key (-1: none).
  int MemoLoop = -1;
  // Group number; mark name index for verbs (-1: none); nkAccept: its
  // entry in AcceptChains.
  int Group = -1;
  int MemoIndex = -1;
};

struct TRELoopInfo {
  int Parent = -1;
  int Head = -1;
};

enum TREAcceptStepKind : std::uint8_t { asCloseGroup, asCloseAtomic, asEndAssertion };
struct TREAcceptStep {
  TREAcceptStepKind Kind;
  int Value;  // the group number
};

class TRECompiledProgram {
 public:
  std::vector<TRENFAState> States;
  std::vector<std::unique_ptr<TRECode>> Codes;
  // Alternatives of the branch points: entry states and, for a cheap test
  // before an alternative is tried, a code it must begin with (or null).
  std::vector<int> Branches;
  std::vector<const TRECode*> BranchFirst;
  std::vector<TRELoopInfo> Loops;
  std::vector<std::vector<TREAcceptStep>> AcceptChains;
  // Entry state of each group for calls; [0] is the whole pattern.
  std::vector<int> GroupEntry;
  std::vector<std::u16string> MarkNames;
  int Start = 0;
  int GroupCount = 0;
  // Captures (3 per group, group 0 included) then loops (2 each).
  int RegisterCount = 0;
  int MemoPoints = 0;
  bool HasBackReferences = false;
  bool HasConditions = false;
  bool HasCalls = false;
  bool HasCallouts = false;
  bool HasVerbs = false;
  bool HasThen = false;
  bool HasGlobalPos = false;
  bool HasKeep = false;
  // The memo may be used at all (none of the features above).
  bool MemoAllowed = false;
  // A call's ends may be remembered per group and position: besides the
  // memo's conditions, a call changes nothing the caller keeps (no \K) and
  // depends on nothing but the subject (no \G).
  bool CallMemoAllowed = false;
  TREOptimizeData Optimize;

  int LoopCountRegister(int loop) const { return (GroupCount + 1) * kRegistersPerGroup + 2 * loop; }
  int LoopStartRegister(int loop) const { return LoopCountRegister(loop) + 1; }
};

class TRENFA {
 public:
  explicit TRENFA(TRECompiledProgram& program) : program_(program) {}
  // Compiles the tree; `group_count` groups besides group 0.
  void Compile(const TREBinCode& root, int group_count);

 private:
  struct TContext {
    // Minimum units from after the node to the innermost loop's tail (or
    // the end).
    int Follow = 0;
    // How many innermost loops the tail of which can be reached from after
    // the node without consuming (when Follow is 0).
    int ZeroPrefix = 0;
    int Loop = -1;
    bool InLookaround = false;
    // Inside a group that a call or recursion runs: its continuation
    // depends on the call frames, which the memo does not know.
    bool InCalledGroup = false;
    // Every enclosing loop is unbounded with a minimum of at most 1.
    bool StarLikeLoops = true;
    int Branch = -1;
  };
  struct TConstruct {
    TREAcceptStepKind Kind;
    int Value;
  };

  int NewState(TRENFAKind kind, int next, const TContext& context);
  int Compile(const TREBinCode& node, int next, const TContext& context);
  int CompileUnion(const TREBinCode& node, int next, const TContext& context);
  int CompileLoop(const TREBinCode& node, int next, const TContext& context);
  int CompileLoop(const TREBinCode& body, int min, int max_count, TRELoopKind kind, int next,
                  const TContext& context);
  int CompileAssertionBody(const TREBinCode& body, bool behind, int match_end,
                           const TContext& context);
  int CompileVerb(TRENFAKind kind, const TREBinCode& node, int next, const TContext& context);
  void MarkMemo(int state, int follow, const TContext& context);
  void DropRepeatedAlternatives();
  int MarkName(const std::u16string& name);
  const TRECode* FirstCode(const TREBinCode& node) const;

  TRECompiledProgram& program_;
  std::vector<TConstruct> constructs_;
  std::vector<int> call_states_;
  // Per group number: a call or recursion runs it.
  std::vector<bool> called_groups_;
};

// Minimum and maximum units a node consumes (maximum -1: no bound).
int NodeMinUnits(const TREBinCode& node);
int NodeMaxUnits(const TREBinCode& node);

}  // namespace tenrovel::regex
