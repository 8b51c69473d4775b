// The matcher of the engine: runs the compiled program over the subject.
//
// Takes: a TRECompiledProgram, the subject window and a start position.
// Gives: the leftmost match (and its captures, the mark name) or failure.
// It is a depth-first search with an explicit backtrack stack: the machine
// stack never grows with the subject. The stack holds choice points
// (alternatives, repetition counts, loop iterations, lookbehind starts),
// barriers (atomic groups, lookarounds, conditions: cut or unwound when
// their body ends) and a trail of register changes (captures, loop counters,
// the call frame), undone when backtracking passes them; every iteration of
// a loop keeps its alternatives. A register is trailed once between two
// choice points, and a loop exit whose first item cannot match is not
// pushed, so the stack holds what is pending, not what was done. Subroutine
// calls keep their frames in an arena; a return restores the caller's
// captures.
//
// Work is bounded two ways. A failure memo records (state, position) pairs
// whose continuation has failed, where that is sound: only for patterns
// without back references, conditions, callouts and verbs, and for states
// outside lookarounds and called groups and inside loops whose iteration
// count does not matter; it lives with the subject and the window (and
// the place \G stands for, where the pattern has one). A repetition of one
// code gives back (a reluctant one: takes more) over memoized
// positions a word of the memo at a time, and reads a run it has read
// before (a nested loop starting it again inside it) only once per match
// call. A call made where no call frame stands at its position returns at
// the same places whatever called it, where the pattern has no back
// references, conditions, verbs, callouts, \G or \K: once its body has
// been run through, those places are kept per group and position and taken
// again without running the body.
// Everything else is bounded by a step budget: a match call may take
// kMatchStepLimit steps (states run, alternatives resumed, repetitions
// given back one by one, units taken by a single-code repetition, units a
// literal compares), or 64 per code unit of the window if that is more, or
// the budget set on the object; beyond it ERegExpRuntime is raised.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "regex/regex_compiler.h"
#include "regex/regex_quick_search.h"

namespace tenrovel::regex {

enum TREBacktrackKind : std::uint8_t {
  // Trail entries: undo a register change.
  ekTrail1,
  ekTrail2,
  ekTrail3,
  ekTrailArena,
  ekTrailRestore,
  ekTrailMark,
  // Choice points and markers.
  ekBranch,
  ekAltEnd,
  ekRepeatGreedy,
  ekRepeatLazy,
  ekLoop,
  ekBehind,
  ekBarrier,
  ekMemo,
  ekVerb,
  ekCallEnds,
};

struct TREBacktrackEntry {
  TREBacktrackKind Kind;
  int State;
  int Pos;
  int A;
  int B;
};

// Test switch: the step budget of one match call.
void SetMatchStepLimit(std::int64_t limit);
std::int64_t MatchStepLimit();

class TREMatchEngine {
 public:
  explicit TREMatchEngine(TRegExp& owner) : owner_(owner) {}

  void SetProgram(const TRECompiledProgram* program);
  // Forgets the memo and the cached prefilter results (a new subject).
  void ResetMemo();
  // The leftmost match from `start` inside the window; true if found.
  bool Match(const TREMatchContext& context, int start);

  int CaptureStart(int group) const { return result_[static_cast<std::size_t>(2 * group)]; }
  int CaptureEnd(int group) const { return result_[static_cast<std::size_t>(2 * group + 1)]; }
  // Mark name index of the match (-1: none) and the last one met by a
  // failed search.
  int MarkIndex() const { return mark_; }
  int FailMarkIndex() const { return fail_mark_; }

 private:
  enum class TResult { kFail, kMatch, kSkip, kCommit };

  TResult Attempt(int start);
  bool Backtrack(int& pc, int& pos, TResult& result);
  bool PopVerb(const TREBacktrackEntry& entry, int& pc, int& pos, TResult& result);
  bool PopThen(const TREBacktrackEntry& entry, int& pc, int& pos, TResult& result);
  bool PopBarrier(const TREBacktrackEntry& entry, int& pc, int& pos);
  void ApplyTrail(const TREBacktrackEntry& entry, bool exhausted = false);
  void PopUndoing();
  void Push(TREBacktrackKind kind, int state, int pos, int a = 0, int b = 0);
  void PushMemo(int state, int pos);
  void SetRegister(int reg, int value);
  void SetRegisters2(int reg, int first, int second);
  void CloseCapture(int group, int pos);
  void Cut(int barrier);
  void Unwind(int barrier);
  void Call(const TRENFAState& state, int pos, int record);
  int Return(int pos);
  int CallRecordFor(int group, int pos);
  void RecordCallEnd(int frame, int pos);
  void EndRecording(int frame, bool exhausted);
  void StopRecordingsAbove(int barrier);
  void EvictCallRecords(int start);
  int RunEnd(const TRENFAState& state, int index, int from);
  bool SplitsRepeat(const TRENFAState& state, int pos) const;
  int FirstViable(int base, int from, int count, int pos) const;
  bool ContinuationMayStart(const TRENFAState& state, int pos);
  bool Compare(const TRECode& code, int pos, int& length);
  bool MemoEligible(const TRENFAState& state, int pos) const;
  bool MemoTest(int index, int pos) const;
  bool SkipsByMemo(const TRENFAState& state, int index) const;
  template <typename Visit>
  void ForEachLoopStart(const TRENFAState& state, Visit visit) const;
  int LastUnmemoized(const TRENFAState& state, int from, int lowest);
  int FirstUnmemoized(const TRENFAState& state, int from, int highest);
  void MemoRecord(int index, int pos);
  void ForgetMemoRecords();
  void CountStep() {
    if (++steps_ > step_limit_) {
      StepLimitReached();
    }
  }
  void CountSteps(int count) {
    steps_ += count;
    if (steps_ > step_limit_) {
      StepLimitReached();
    }
  }
  [[noreturn]] void StepLimitReached() const;
  bool InsideAssertion() const;
  int NextStart(int pos) const;
  bool PreMatchPresent(int from);

  TRegExp& owner_;
  const TRECompiledProgram* program_ = nullptr;
  TREMatchContext context_;
  std::vector<int> registers_;
  // Per register: the epoch in which it was last written to the trail; the
  // epoch moves on with every choice point or barrier pushed and every
  // trail entry undone.
  std::vector<std::uint64_t> trail_epochs_;
  std::uint64_t epoch_ = 0;
  std::vector<TREBacktrackEntry> stack_;
  std::vector<int> arena_;
  std::vector<int> result_;
  // The last run read by each single-code repetition state (this call).
  struct TRERun {
    int Begin = -1;
    int End = -1;
  };
  std::vector<TRERun> runs_;
  // Per state: every character boundary inside a run of its code ends a
  // repetition (TRECode::RepeatsByCompareChar).
  std::vector<bool> by_character_;
  int register_frame_ = 0;
  int register_barrier_ = 0;
  int register_mark_ = 0;
  int attempt_start_ = 0;
  int skip_position_ = 0;
  int mark_ = -1;
  int fail_mark_ = -1;
  int last_mark_seen_ = -1;
  std::int64_t steps_ = 0;
  std::int64_t step_limit_ = 0;
  TREQuickSearch lead_search_;
  TREQuickSearch prematch_search_;

  // Memo and cached prefilter results, valid for one subject and window.
  std::vector<std::uint64_t> memo_;
  bool memo_ready_ = false;
  int memo_points_ = 0;
  // Per memo point: a stretch of positions all ruled out (bit set, or inside
  // a character of the point's repetition).
  struct TRESetStretch {
    int Low = 0;
    int High = -2;
  };
  std::vector<TRESetStretch> memo_stretches_;
  static void RememberSetStretch(TRESetStretch& known, int low, int high);
  int memo_width_ = 0;
  // The positions recorded since the memo was last cleared, and the \G
  // position its records hold for.
  int memo_dirty_low_ = 0;
  int memo_dirty_high_ = -1;
  int memo_global_pos_ = -1;
  int memo_window_begin_ = -1;
  int memo_window_end_ = -1;
  const char16_t* memo_text_ = nullptr;
  int prematch_found_ = -1;
  int prematch_none_from_ = -1;

  // The places a call of a group from a position returned at, in the order
  // its body reached them (valid for the subject and window, as the memo).
  // Complete once backtracking has passed the call with none of its
  // alternatives cut or unwound.
  static constexpr int kCallEndLimit = 8;
  struct TRECallRecord {
    enum TStatus : std::uint8_t { kNone, kRecording, kComplete };
    TStatus Status = kNone;
    std::uint8_t Count = 0;
    int Group = 0;
    int Pos = 0;
    // The recording under way (0: none): a frame records only into the
    // record that still carries its number.
    int Serial = 0;
    std::array<int, kCallEndLimit> Ends{};
  };
  // A recording under way: its record and the stack index of its call's
  // trail entry. Innermost last.
  struct TRECallRecording {
    int Record;
    int Serial;
    int Trail;
  };
  std::unordered_map<std::uint64_t, int> call_index_;
  std::vector<TRECallRecord> call_records_;
  std::vector<TRECallRecording> recordings_;
  int call_serial_ = 0;
  // With the records full, those of positions before an attempt's start are
  // dropped once the start passes this place (half of them lie before it).
  int call_evict_below_ = -1;
};

}  // namespace tenrovel::regex
