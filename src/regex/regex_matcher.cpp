#include "regex/regex_matcher.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <limits>

#include "regex/regex_fold.h"
#include "regex/regex_messages.h"
#include "regex/regex_utf.h"

namespace tenrovel::regex {
namespace {

std::atomic<std::int64_t> g_step_limit{kMatchStepLimit};

// A call frame in the arena: these header slots, then the caller's
// registers (captures and loops).
constexpr int kFrameParent = 0;
constexpr int kFrameReturn = 1;
constexpr int kFrameGroup = 2;
constexpr int kFramePosition = 3;
constexpr int kFrameStack = 4;
// The record of the call's ends it fills in, and its recording's number
// (0: none).
constexpr int kFrameRecord = 5;
constexpr int kFrameSerial = 6;
constexpr int kFrameHeader = 7;

// The memo is skipped for subjects where it would take more than this many
// bits (the work is then bounded by the step budget alone).
constexpr std::size_t kMemoBitLimit = std::size_t{1} << 28;

// Calls whose ends are remembered, at most (further calls run their body).
constexpr std::size_t kCallRecordLimit = std::size_t{1} << 18;

// The step budget grows with the window: this many steps per code unit.
constexpr std::int64_t kStepsPerUnit = 64;

bool IsTrail(TREBacktrackKind kind) {
  return kind <= ekTrailMark;
}

bool IsNegativeAssertion(const TRENFAState& construct) {
  const TRENFAKind kind =
      construct.Kind == nkIfMatch ? static_cast<TRENFAKind>(construct.Min) : construct.Kind;
  return kind == nkAheadNoMatch || kind == nkBehindNoMatch;
}

bool IsBehindAssertion(const TRENFAState& construct) {
  const TRENFAKind kind =
      construct.Kind == nkIfMatch ? static_cast<TRENFAKind>(construct.Min) : construct.Kind;
  return kind == nkBehindMatch || kind == nkBehindNoMatch;
}

std::uint64_t CallKey(int group, int pos) {
  return (static_cast<std::uint64_t>(group) << 32) | static_cast<std::uint32_t>(pos);
}

}  // namespace

void SetMatchStepLimit(std::int64_t limit) {
  g_step_limit = limit;
}

std::int64_t MatchStepLimit() {
  return g_step_limit;
}

void TREMatchEngine::SetProgram(const TRECompiledProgram* program) {
  program_ = program;
  if (program_ != nullptr) {
    lead_search_ = TREQuickSearch();
    prematch_search_ = TREQuickSearch();
    if (program_->Optimize.LeadCode != nullptr) {
      lead_search_.Compile(*program_->Optimize.LeadCode);
    }
    if (program_->Optimize.PreMatchCode != nullptr) {
      prematch_search_.Compile(*program_->Optimize.PreMatchCode);
    }
    by_character_.assign(program_->States.size(), false);
    for (std::size_t state = 0; state < program_->States.size(); ++state) {
      const TRECode* code = program_->States[state].Code;
      by_character_[state] = code != nullptr && code->RepeatsByCompareChar();
    }
  }
  ResetMemo();
}

void TREMatchEngine::ResetMemo() {
  memo_.clear();
  memo_ready_ = false;
  memo_text_ = nullptr;
  memo_window_begin_ = -1;
  memo_window_end_ = -1;
  prematch_found_ = -1;
  prematch_none_from_ = -1;
  call_index_.clear();
  call_records_.clear();
  recordings_.clear();
  call_serial_ = 0;
  call_evict_below_ = -1;
}

void TREMatchEngine::StepLimitReached() const {
  throw ERegExpRuntime(std::u16string(sMatchStepLimit));
}

void TREMatchEngine::Push(TREBacktrackKind kind, int state, int pos, int a, int b) {
  if (!IsTrail(kind) && kind != ekMemo) {
    ++epoch_;
  }
  stack_.push_back({kind, state, pos, a, b});
}

// A register change is written to the trail only if the register has not
// been trailed since the last choice point, barrier or undo (its epoch):
// the older entry already brings back the value every choice point below
// needs, and nothing can come back to the values in between. A loop whose
// iterations leave no choice point thus keeps one entry for its registers.
void TREMatchEngine::SetRegister(int reg, int value) {
  const auto at = static_cast<std::size_t>(reg);
  if (trail_epochs_[at] != epoch_) {
    Push(ekTrail1, reg, registers_[at]);
    trail_epochs_[at] = epoch_;
  }
  registers_[at] = value;
}

void TREMatchEngine::SetRegisters2(int reg, int first, int second) {
  const auto at = static_cast<std::size_t>(reg);
  if (trail_epochs_[at] != epoch_ || trail_epochs_[at + 1] != epoch_) {
    Push(ekTrail2, reg, registers_[at], registers_[at + 1]);
    trail_epochs_[at] = epoch_;
    trail_epochs_[at + 1] = epoch_;
  }
  registers_[at] = first;
  registers_[at + 1] = second;
}

// Sets a group's capture from its pending start to `pos`. A group whose body
// left nothing on the stack (a single item, or alternatives of which one
// could begin) has its start's trail entry on top: that entry takes the old
// capture too, one entry per iteration of "(.)*" instead of two.
void TREMatchEngine::CloseCapture(int group, int pos) {
  const int pending = CapturePending(group);
  const auto at = static_cast<std::size_t>(pending);
  if (!stack_.empty() && stack_.back().Kind == ekTrail1 && stack_.back().State == pending &&
      (trail_epochs_[at + 1] != epoch_ || trail_epochs_[at + 2] != epoch_)) {
    TREBacktrackEntry& top = stack_.back();
    top = {ekTrail3, pending, top.Pos, registers_[at + 1], registers_[at + 2]};
    trail_epochs_[at + 1] = epoch_;
    trail_epochs_[at + 2] = epoch_;
    registers_[at + 1] = registers_[at];
    registers_[at + 2] = pos;
    return;
  }
  SetRegisters2(regex::CaptureStart(group), registers_[at], pos);
}

// Marks (state, pos) to be recorded as failed in the memo when backtracking
// passes here. Marks for consecutive positions of one state with nothing
// between them are one entry (a range), so that a loop whose iterations
// leave no choice point keeps one entry however long it runs.
void TREMatchEngine::PushMemo(int state, int pos) {
  if (!stack_.empty()) {
    TREBacktrackEntry& top = stack_.back();
    if (top.Kind == ekMemo && top.State == state && top.A + 1 == pos) {
      top.A = pos;
      return;
    }
  }
  Push(ekMemo, state, pos, pos);
}

// `exhausted`: backtracking passes the entry with nothing left above it to
// try (not an unwinding).
void TREMatchEngine::ApplyTrail(const TREBacktrackEntry& entry, bool exhausted) {
  ++epoch_;
  switch (entry.Kind) {
    case ekTrail1:
      registers_[static_cast<std::size_t>(entry.State)] = entry.Pos;
      break;
    case ekTrail2:
      registers_[static_cast<std::size_t>(entry.State)] = entry.Pos;
      registers_[static_cast<std::size_t>(entry.State) + 1] = entry.A;
      break;
    case ekTrail3:
      registers_[static_cast<std::size_t>(entry.State)] = entry.Pos;
      registers_[static_cast<std::size_t>(entry.State) + 1] = entry.A;
      registers_[static_cast<std::size_t>(entry.State) + 2] = entry.B;
      break;
    case ekTrailArena:
      if (!recordings_.empty()) {
        EndRecording(entry.B, exhausted);
      }
      registers_[static_cast<std::size_t>(register_frame_)] = entry.A;
      arena_.resize(static_cast<std::size_t>(entry.B));
      break;
    case ekTrailRestore: {
      const auto saved = static_cast<std::size_t>(entry.A);
      const auto count = static_cast<std::size_t>(program_->RegisterCount);
      std::copy_n(arena_.begin() + static_cast<std::ptrdiff_t>(saved), count, registers_.begin());
      registers_[static_cast<std::size_t>(register_frame_)] = arena_[saved + count];
      arena_.resize(saved);
      break;
    }
    case ekTrailMark:
      registers_[static_cast<std::size_t>(register_mark_)] = entry.A;
      break;
    default:
      break;
  }
}

// Drops the top entry, undoing what it recorded: a trail entry its register
// change, a barrier the barrier register (choice points just go).
void TREMatchEngine::PopUndoing() {
  const TREBacktrackEntry& top = stack_.back();
  if (IsTrail(top.Kind)) {
    ApplyTrail(top);
  } else if (top.Kind == ekBarrier) {
    registers_[static_cast<std::size_t>(register_barrier_)] = top.A;
  }
  stack_.pop_back();
}

// Closes an atomic group or a positive assertion: its alternatives go, the
// register changes made inside stay undoable.
void TREMatchEngine::Cut(int barrier) {
  StopRecordingsAbove(barrier);
  const auto at = static_cast<std::size_t>(barrier);
  const int previous = stack_[at].A;
  std::size_t write = at;
  stack_[write++] = {ekTrail1, register_barrier_, previous, 0, 0};
  for (std::size_t read = at + 1; read < stack_.size(); ++read) {
    if (IsTrail(stack_[read].Kind)) {
      stack_[write++] = stack_[read];
    }
  }
  stack_.resize(write);
  registers_[static_cast<std::size_t>(register_barrier_)] = previous;
}

// Undoes everything down to and including the barrier.
void TREMatchEngine::Unwind(int barrier) {
  const auto at = static_cast<std::size_t>(barrier);
  while (stack_.size() > at + 1) {
    PopUndoing();
  }
  PopUndoing();
}

// Enters a call; `record` (or -1) is the record of its ends to fill in.
void TREMatchEngine::Call(const TRENFAState& state, int pos, int record) {
  const auto count = static_cast<std::size_t>(program_->RegisterCount);
  const int frame = static_cast<int>(arena_.size());
  int serial = 0;
  if (record >= 0 && call_serial_ < std::numeric_limits<int>::max()) {
    serial = ++call_serial_;
    TRECallRecord& known = call_records_[static_cast<std::size_t>(record)];
    known.Status = TRECallRecord::kRecording;
    known.Serial = serial;
    known.Count = 0;
    recordings_.push_back({record, serial, static_cast<int>(stack_.size())});
  }
  arena_.push_back(registers_[static_cast<std::size_t>(register_frame_)]);
  arena_.push_back(state.Next);
  arena_.push_back(state.Group);
  arena_.push_back(pos);
  arena_.push_back(static_cast<int>(stack_.size()));
  arena_.push_back(record);
  arena_.push_back(serial);
  arena_.insert(arena_.end(), registers_.begin(),
                registers_.begin() + static_cast<std::ptrdiff_t>(count));
  Push(ekTrailArena, 0, 0, registers_[static_cast<std::size_t>(register_frame_)], frame);
  registers_[static_cast<std::size_t>(register_frame_)] = frame;
}

// Returns from the innermost call: the caller's captures and loop counters
// come back (undoably); gives the state to continue with.
int TREMatchEngine::Return(int pos) {
  const auto count = static_cast<std::size_t>(program_->RegisterCount);
  const auto frame =
      static_cast<std::size_t>(registers_[static_cast<std::size_t>(register_frame_)]);
  if (arena_[frame + kFrameSerial] != 0) {
    RecordCallEnd(static_cast<int>(frame), pos);
  }
  const int saved = static_cast<int>(arena_.size());
  arena_.insert(arena_.end(), registers_.begin(),
                registers_.begin() + static_cast<std::ptrdiff_t>(count));
  arena_.push_back(static_cast<int>(frame));
  Push(ekTrailRestore, 0, 0, saved);
  // Group 0 stays: a \K inside the call moves the start of the whole match.
  std::copy_n(
      arena_.begin() + static_cast<std::ptrdiff_t>(frame + kFrameHeader + kRegistersPerGroup),
      count - kRegistersPerGroup, registers_.begin() + kRegistersPerGroup);
  registers_[static_cast<std::size_t>(register_frame_)] = arena_[frame + kFrameParent];
  return arena_[frame + kFrameReturn];
}

// The record of the ends of a call of `group` from `pos`, made anew if there
// is none (-1 when there are too many).
int TREMatchEngine::CallRecordFor(int group, int pos) {
  const std::uint64_t key = CallKey(group, pos);
  const auto found = call_index_.find(key);
  if (found != call_index_.end()) {
    return found->second;
  }
  if (call_records_.size() >= kCallRecordLimit) {
    return -1;
  }
  const int record = static_cast<int>(call_records_.size());
  call_records_.push_back({TRECallRecord::kNone, 0, group, pos, 0, {}});
  call_index_.emplace(key, record);
  return record;
}

// A call returns at `pos`: kept in its record, once, unless the record is
// full (then it is no longer filled in).
void TREMatchEngine::RecordCallEnd(int frame, int pos) {
  TRECallRecord& known = call_records_[static_cast<std::size_t>(
      arena_[static_cast<std::size_t>(frame + kFrameRecord)])];
  if (known.Serial != arena_[static_cast<std::size_t>(frame + kFrameSerial)] ||
      known.Status != TRECallRecord::kRecording) {
    return;
  }
  const auto ends = known.Ends.begin();
  if (std::find(ends, ends + known.Count, pos) != ends + known.Count) {
    return;
  }
  if (known.Count == kCallEndLimit) {
    known.Status = TRECallRecord::kNone;
    return;
  }
  known.Ends[known.Count++] = pos;
}

// The trail entry of the call of `frame` is undone: the body has been run
// through if backtracking got here with nothing left to try.
void TREMatchEngine::EndRecording(int frame, bool exhausted) {
  const int serial = arena_[static_cast<std::size_t>(frame + kFrameSerial)];
  if (serial == 0 || recordings_.back().Serial != serial) {
    return;
  }
  TRECallRecord& known = call_records_[static_cast<std::size_t>(recordings_.back().Record)];
  if (known.Serial == serial && known.Status == TRECallRecord::kRecording) {
    known.Status = exhausted ? TRECallRecord::kComplete : TRECallRecord::kNone;
  }
  recordings_.pop_back();
}

// An atomic group or a positive assertion drops the alternatives above
// `barrier`: the calls entered there will not have run their body through.
// (Undoing a call's entry without backtracking ends its recording too.)
void TREMatchEngine::StopRecordingsAbove(int barrier) {
  while (!recordings_.empty() && recordings_.back().Trail > barrier) {
    TRECallRecord& known = call_records_[static_cast<std::size_t>(recordings_.back().Record)];
    if (known.Serial == recordings_.back().Serial) {
      known.Status = TRECallRecord::kNone;
    }
    recordings_.pop_back();
  }
}

// Makes room in the full records of calls' ends before an attempt from
// `start` (no choice point refers to a record then). No call of this search
// or of a later one starting further on is made before `start`: those
// records go, once that is half of them, so that the work of dropping them
// stays in proportion to the records made.
void TREMatchEngine::EvictCallRecords(int start) {
  if (call_records_.size() < kCallRecordLimit || start <= call_evict_below_) {
    return;
  }
  std::vector<TRECallRecord> kept;
  std::vector<int> positions;
  call_index_.clear();
  for (const TRECallRecord& known : call_records_) {
    if (known.Pos >= start) {
      call_index_.emplace(CallKey(known.Group, known.Pos), static_cast<int>(kept.size()));
      kept.push_back(known);
      positions.push_back(known.Pos);
    }
  }
  call_records_ = std::move(kept);
  const auto middle = positions.begin() + static_cast<std::ptrdiff_t>(positions.size() / 2);
  std::nth_element(positions.begin(), middle, positions.end());
  call_evict_below_ = positions.empty() ? start : *middle;
}

// Whether an assertion's body is running. \K has no effect there: a call
// can bring it into one, where it would put the start of the match after
// its end (and a walk of all matches would not move on).
bool TREMatchEngine::InsideAssertion() const {
  for (int barrier = registers_[static_cast<std::size_t>(register_barrier_)]; barrier >= 0;
       barrier = stack_[static_cast<std::size_t>(barrier)].A) {
    const int construct = stack_[static_cast<std::size_t>(barrier)].State;
    if (program_->States[static_cast<std::size_t>(construct)].Kind != nkSuspend) {
      return true;
    }
  }
  return false;
}

// Whether `pos`, inside a run of the code of `state` (a regular one),
// is no end of a repetition: it splits a surrogate pair, or a half-width
// letter from the voiced mark the code reads with it. A run that begins at
// `pos` still begins there.
bool TREMatchEngine::SplitsRepeat(const TRENFAState& state, int pos) const {
  const TREMatchContext& c = context_;
  return IsInsidePair(c.Text, c.WindowBegin, c.WindowEnd, pos) ||
         (state.Code->MergesWidth() && IsInsideWidthMerge(c.Text, c.WindowBegin, c.WindowEnd, pos));
}

// The far end of the optional repetitions of a single-code repetition from
// `from`. A run of a code that repeats by characters ends at the same place
// from wherever inside it it starts (at the end of a repetition): nested
// loops that start it again at every position of a long run read the run
// once.
int TREMatchEngine::RunEnd(const TRENFAState& state, int index, int from) {
  int count = 0;
  if (state.Max >= 0 || !by_character_[static_cast<std::size_t>(index)]) {
    const int end =
        state.Code->ExecRepeat(context_, from, state.Max >= 0 ? state.Max - state.Min : -1, count);
    CountSteps(end - from);
    return end;
  }
  if (SplitsRepeat(state, from)) {
    // A run begun inside a character reads its second half alone first;
    // after it, it is the run read from a character's start.
    int length = 0;
    CountStep();
    if (!state.Code->IsEqual(context_, from, length) || length == 0) {
      return from;
    }
    from += length;
  }
  TRERun& run = runs_[static_cast<std::size_t>(index)];
  if (run.Begin >= 0 && from <= run.End) {
    if (from >= run.Begin) {
      return run.End;
    }
    // Starting before the known run (a run given back from its far end is
    // started again further and further back): read up to where it began.
    int pos = from;
    int length = 0;
    while (pos < run.Begin && state.Code->IsEqual(context_, pos, length)) {
      pos += length;
    }
    CountSteps(pos - from);
    if (pos != run.Begin) {
      run.End = pos;
    }
    run.Begin = from;
    return run.End;
  }
  run.Begin = from;
  run.End = state.Code->ExecRepeat(context_, from, -1, count);
  CountSteps(run.End - from);
  return run.End;
}

int TREMatchEngine::FirstViable(int base, int from, int count, int pos) const {
  for (int i = from; i < count; ++i) {
    const TRECode* first = program_->BranchFirst[static_cast<std::size_t>(base + i)];
    int length = 0;
    if (first == nullptr || first->IsEqual(context_, pos, length)) {
      return i;
    }
  }
  return count;
}

// Whether what follows a repetition can begin at `pos`: a repetition gives
// back or takes more only up to a place where its continuation's first item
// matches.
bool TREMatchEngine::ContinuationMayStart(const TRENFAState& state, int pos) {
  const TRENFAState& next = program_->States[static_cast<std::size_t>(state.Next)];
  // A single item, or a repetition of one that must match at least once.
  const bool tests_first =
      next.Kind == nkChar ||
      ((next.Kind == nkPlus || next.Kind == nkBound || next.Kind == nkStar) && next.Min > 0);
  int length = 0;
  return !tests_first || Compare(*next.Code, pos, length);
}

// A literal compares its units one by one: work, charged to the budget as a
// repetition's units are (the state itself is one step).
bool TREMatchEngine::Compare(const TRECode& code, int pos, int& length) {
  const bool equal = code.IsEqual(context_, pos, length);
  if (length > 1) {
    CountSteps(length - 1);
  }
  return equal;
}

bool TREMatchEngine::MemoEligible(const TRENFAState& state, int pos) const {
  if (!memo_ready_ || (state.Flags & kStateMemo) == 0 || state.MemoIndex >= memo_points_) {
    return false;
  }
  bool eligible = true;
  ForEachLoopStart(state, [&](int start) { eligible = eligible && start != pos; });
  return eligible;
}

// Calls `visit` with the position where each enclosing loop whose iteration
// count matters to the memo (MemoDepth of them, innermost first) began its
// current iteration: there the memo does not apply.
template <typename Visit>
void TREMatchEngine::ForEachLoopStart(const TRENFAState& state, Visit visit) const {
  int loop = state.MemoLoop;
  for (int i = 0; i < state.MemoDepth && loop >= 0; ++i) {
    visit(registers_[static_cast<std::size_t>(program_->LoopStartRegister(loop))]);
    loop = program_->Loops[static_cast<std::size_t>(loop)].Parent;
  }
}

// Whether a single-code repetition may give back or take more over the
// positions the memo rules out, all at once: its memo point is in use and
// every character boundary of its run ends a repetition.
bool TREMatchEngine::SkipsByMemo(const TRENFAState& state, int index) const {
  return by_character_[static_cast<std::size_t>(index)] && memo_ready_ &&
         (state.Flags & kStateMemo) != 0 && state.MemoIndex < memo_points_;
}

bool TREMatchEngine::MemoTest(int index, int pos) const {
  const std::size_t bit = static_cast<std::size_t>(index) * static_cast<std::size_t>(memo_width_) +
                          static_cast<std::size_t>(pos);
  return (memo_[bit / 64] >> (bit % 64)) & 1U;
}

// Remembers that the memo bits [low, high] are all set: joined to the known
// stretch where the two meet, else kept in its place when longer.
void TREMatchEngine::RememberSetStretch(TRESetStretch& known, int low, int high) {
  if (low > high) {
    return;
  }
  if (known.Low <= high + 1 && known.High + 1 >= low) {
    known.Low = std::min(known.Low, low);
    known.High = std::max(known.High, high);
  } else if (high - low > known.High - known.Low) {
    known = {low, high};
  }
}

// The last position in [lowest, from] at which the memo does not rule out
// the continuation of `state` (lowest - 1 if there is none). The bits are
// read a word at a time, and each memo point remembers the widest stretch of
// set bits it has met (bits are only ever set): giving back a long run over
// positions already known to fail, again and again, stays cheap.
int TREMatchEngine::LastUnmemoized(const TRENFAState& state, int from, int lowest) {
  const auto base = static_cast<std::int64_t>(state.MemoIndex) * memo_width_;
  TRESetStretch& known = memo_stretches_[static_cast<std::size_t>(state.MemoIndex)];
  int found = lowest - 1;
  int pos = from;
  while (pos >= lowest) {
    CountStep();
    if (pos >= known.Low && pos <= known.High) {
      if (known.Low <= lowest && !MemoTest(state.MemoIndex, lowest)) {
        found = lowest;  // a run's start inside a character: still its start
        break;
      }
      pos = known.Low - 1;
      continue;
    }
    const std::int64_t bit = base + pos;
    const auto offset = static_cast<unsigned>(bit % 64);
    std::uint64_t clear = ~memo_[static_cast<std::size_t>(bit / 64)];
    if (offset < 63) {
      clear &= (std::uint64_t{1} << (offset + 1)) - 1;
    }
    if (clear != 0) {
      const int hit = pos - static_cast<int>(offset) + 63 - std::countl_zero(clear);
      if (hit < lowest) {
        break;
      }
      if (hit == lowest || !SplitsRepeat(state, hit)) {
        found = hit;
        break;
      }
      pos = hit - 1;  // no repetition ends inside a character
      continue;
    }
    pos -= static_cast<int>(offset) + 1;
  }
  // Positions (found, from] are ruled out: set, or inside a character.
  RememberSetStretch(known, found + 1, from);
  ForEachLoopStart(state, [&](int start) {
    if (start > found && start <= from && start >= lowest &&
        (start == lowest || !SplitsRepeat(state, start))) {
      found = start;
    }
  });
  return found;
}

// The first position in [from, highest] at which the memo does not rule out
// the continuation of `state` (highest + 1 if there is none): the forward
// counterpart of LastUnmemoized, for a reluctant repetition taking more over
// positions already known to fail.
int TREMatchEngine::FirstUnmemoized(const TRENFAState& state, int from, int highest) {
  const auto base = static_cast<std::int64_t>(state.MemoIndex) * memo_width_;
  TRESetStretch& known = memo_stretches_[static_cast<std::size_t>(state.MemoIndex)];
  int found = highest + 1;
  int pos = from;
  while (pos <= highest) {
    CountStep();
    if (pos >= known.Low && pos <= known.High) {
      pos = known.High + 1;
      continue;
    }
    const std::int64_t bit = base + pos;
    const auto offset = static_cast<unsigned>(bit % 64);
    const std::uint64_t clear = ~memo_[static_cast<std::size_t>(bit / 64)] >> offset;
    if (clear != 0) {
      const int hit = pos + std::countr_zero(clear);
      if (hit > highest) {
        break;
      }
      if (!SplitsRepeat(state, hit)) {
        found = hit;
        break;
      }
      pos = hit + 1;  // no repetition ends inside a character
      continue;
    }
    pos += 64 - static_cast<int>(offset);
  }
  // Positions [from, found) are ruled out: set, or inside a character.
  RememberSetStretch(known, from, found - 1);
  ForEachLoopStart(state, [&](int start) {
    if (start < found && start >= from && start <= highest && !SplitsRepeat(state, start)) {
      found = start;
    }
  });
  return found;
}

void TREMatchEngine::MemoRecord(int index, int pos) {
  const std::size_t bit = static_cast<std::size_t>(index) * static_cast<std::size_t>(memo_width_) +
                          static_cast<std::size_t>(pos);
  memo_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  memo_dirty_low_ = std::min(memo_dirty_low_, pos);
  memo_dirty_high_ = std::max(memo_dirty_high_, pos);
}

// Clears what the memo learnt since it was last cleared: the bits of the
// positions recorded since then, of every memo point, and the stretches
// known to be set. The work is that of the match calls that set them.
void TREMatchEngine::ForgetMemoRecords() {
  if (memo_dirty_low_ <= memo_dirty_high_) {
    for (int point = 0; point < memo_points_; ++point) {
      const std::size_t base =
          static_cast<std::size_t>(point) * static_cast<std::size_t>(memo_width_);
      const std::size_t first = base + static_cast<std::size_t>(memo_dirty_low_);
      const std::size_t last = base + static_cast<std::size_t>(memo_dirty_high_);
      for (std::size_t word = first / 64; word <= last / 64; ++word) {
        const std::size_t from = word == first / 64 ? first % 64 : 0;
        const std::size_t to = word == last / 64 ? last % 64 : 63;
        memo_[word] &= ~((~std::uint64_t{0} << from) & (~std::uint64_t{0} >> (63 - to)));
      }
    }
  }
  std::fill(memo_stretches_.begin(), memo_stretches_.end(), TRESetStretch{});
  memo_dirty_low_ = std::numeric_limits<int>::max();
  memo_dirty_high_ = -1;
}

int TREMatchEngine::NextStart(int pos) const {
  if (pos < context_.WindowEnd && IsHighSurrogate(context_.Text[pos]) &&
      pos + 1 < context_.WindowEnd && IsLowSurrogate(context_.Text[pos + 1])) {
    return pos + 2;
  }
  return pos + 1;
}

bool TREMatchEngine::PreMatchPresent(int from) {
  if (prematch_found_ >= from) {
    return true;
  }
  if (prematch_none_from_ >= 0 && from >= prematch_none_from_) {
    return false;
  }
  const int found = prematch_search_.Find(context_, from);
  if (found < 0) {
    prematch_none_from_ = from;
    return false;
  }
  prematch_found_ = found;
  return true;
}

bool TREMatchEngine::Match(const TREMatchContext& context, int start) {
  const TRECompiledProgram& program = *program_;
  if (memo_text_ != context.Text || memo_window_begin_ != context.WindowBegin ||
      memo_window_end_ != context.WindowEnd) {
    ResetMemo();
    memo_text_ = context.Text;
    memo_window_begin_ = context.WindowBegin;
    memo_window_end_ = context.WindowEnd;
  }
  context_ = context;
  register_frame_ = program.RegisterCount;
  register_barrier_ = register_frame_ + 1;
  register_mark_ = register_frame_ + 2;
  registers_.assign(static_cast<std::size_t>(program.RegisterCount) + 3, -1);
  trail_epochs_.assign(registers_.size(), 0);
  context_.Registers = registers_.data();
  runs_.assign(program.States.size(), TRERun{});
  steps_ = 0;
  // Linear work on a long subject may take more steps than the fixed budget;
  // quadratic work on it may not.
  step_limit_ =
      owner_.StepLimit() > 0
          ? owner_.StepLimit()
          : std::max<std::int64_t>(
                g_step_limit,
                kStepsPerUnit * static_cast<std::int64_t>(context.WindowEnd - context.WindowBegin));
  mark_ = -1;
  last_mark_seen_ = -1;
  if (!memo_ready_ && program.MemoAllowed && program.MemoPoints > 0) {
    memo_width_ = context.SubjectEnd + 1;
    memo_points_ = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(program.MemoPoints),
                              kMemoBitLimit / static_cast<std::size_t>(memo_width_)));
    memo_.assign(
        (static_cast<std::size_t>(memo_points_) * static_cast<std::size_t>(memo_width_) + 63) / 64,
        0);
    memo_ready_ = memo_points_ > 0;
    memo_stretches_.assign(static_cast<std::size_t>(memo_points_), TRESetStretch{});
    memo_dirty_low_ = std::numeric_limits<int>::max();
    memo_dirty_high_ = -1;
    memo_global_pos_ = context.GlobalPos;
  }
  if (memo_ready_ && program.HasGlobalPos && memo_global_pos_ != context.GlobalPos) {
    // Whether \G holds depends on where this call's search began: what
    // failed from another one may succeed now.
    ForgetMemoRecords();
    memo_global_pos_ = context.GlobalPos;
  }

  const bool prefilter = PrefiltersEnabled();
  const TREOptimizeData& optimize = program.Optimize;
  const int end = context_.WindowEnd;
  int pos = start;
  if (IsInsidePair(context_.Text, context_.WindowBegin, end, pos)) {
    ++pos;
  }
  if (prefilter && optimize.PreMatchMode == pmExitst && !PreMatchPresent(pos)) {
    fail_mark_ = -1;
    return false;
  }
  while (pos <= end) {
    if (prefilter) {
      if (end - pos < optimize.MinLength) {
        break;
      }
      switch (optimize.LeadMode) {
        case lcmTextTop:
          if (pos != context_.WindowBegin) {
            pos = end + 1;
            continue;
          }
          break;
        case lcmAnchor:
          if (optimize.GlobalPosTop && pos != context_.GlobalPos) {
            if (pos > context_.GlobalPos) {
              pos = end + 1;
              continue;
            }
            pos = context_.GlobalPos;
          }
          break;
        case lcmLineTop:
          while (pos != context_.WindowBegin &&
                 !(pos < end && IsLineBreak(context_.Text[pos - 1]))) {
            if (pos >= end) {
              break;
            }
            pos = NextStart(pos);
          }
          if (pos != context_.WindowBegin && pos >= end) {
            pos = end + 1;
            continue;
          }
          break;
        case lcmFirstLiteral:
        case lcmSimple: {
          const int found = lead_search_.Find(context_, pos);
          if (found < 0) {
            pos = end + 1;
            continue;
          }
          pos = found;
          break;
        }
        case lcmMap:
          while (pos < end && !optimize.LeadMap.Allows(context_.Text[pos])) {
            pos = NextStart(pos);
          }
          if (pos >= end) {
            pos = end + 1;
            continue;
          }
          break;
        default:
          break;
      }
      if (end - pos < optimize.MinLength) {
        break;
      }
    }
    const TResult result = Attempt(pos);
    if (result == TResult::kMatch) {
      result_.assign(static_cast<std::size_t>(2 * (program.GroupCount + 1)), -1);
      for (int group = 0; group <= program.GroupCount; ++group) {
        const int begin = registers_[static_cast<std::size_t>(regex::CaptureStart(group))];
        const int finish = registers_[static_cast<std::size_t>(regex::CaptureEnd(group))];
        if (begin >= 0 && finish >= 0) {
          result_[static_cast<std::size_t>(2 * group)] = begin;
          result_[static_cast<std::size_t>(2 * group + 1)] = finish;
        }
      }
      mark_ = registers_[static_cast<std::size_t>(register_mark_)];
      return true;
    }
    if (result == TResult::kCommit) {
      break;
    }
    const int next = NextStart(pos);
    pos = result == TResult::kSkip && skip_position_ > pos ? skip_position_ : next;
  }
  fail_mark_ = last_mark_seen_;
  return false;
}

TREMatchEngine::TResult TREMatchEngine::Attempt(int start) {
  const TRECompiledProgram& program = *program_;
  const std::vector<TRENFAState>& states = program.States;
  std::fill(registers_.begin(), registers_.end(), -1);
  for (std::size_t loop = 0; loop < program.Loops.size(); ++loop) {
    registers_[static_cast<std::size_t>(program.LoopCountRegister(static_cast<int>(loop)))] = 0;
  }
  registers_[static_cast<std::size_t>(CapturePending(0))] = start;
  registers_[static_cast<std::size_t>(regex::CaptureStart(0))] = start;
  // The recordings of the last attempt stay incomplete.
  StopRecordingsAbove(-1);
  EvictCallRecords(start);
  stack_.clear();
  arena_.clear();
  ++epoch_;
  attempt_start_ = start;
  int pc = program.Start;
  int pos = start;
  TResult result = TResult::kFail;
  for (;;) {
    CountStep();
    const TRENFAState& s = states[static_cast<std::size_t>(pc)];
    int length = 0;
    switch (s.Kind) {
      case nkChar:
        if (Compare(*s.Code, pos, length)) {
          pos += length;
          pc = s.Next;
          continue;
        }
        break;
      case nkEmpty: {
        const bool memo = MemoEligible(s, pos);
        if (memo && MemoTest(s.MemoIndex, pos)) {
          break;
        }
        const int first = FirstViable(s.Alt, 0, s.Max, pos);
        if (first == s.Max) {
          break;
        }
        const int second = FirstViable(s.Alt, first + 1, s.Max, pos);
        if (second < s.Max) {
          Push(ekBranch, pc, pos, second, memo ? 1 : 0);
        } else if (program.HasThen) {
          Push(ekAltEnd, pc, pos);
        }
        pc = program.Branches[static_cast<std::size_t>(s.Alt + first)];
        continue;
      }
      case nkStar:
      case nkPlus:
      case nkBound: {
        if (s.LoopKind == lkSimpleReluctant) {
          int count = 0;
          const int after = s.Min > 0 ? s.Code->ExecRepeat(context_, pos, s.Min, count) : pos;
          if (count < s.Min) {
            break;
          }
          if (s.Max < 0 || s.Min < s.Max) {
            // B: the far end of the run it may take, once it is known.
            Push(ekRepeatLazy, pc, after, s.Min, -1);
          }
          pos = after;
          pc = s.Next;
          if (MemoEligible(s, pos) && MemoTest(s.MemoIndex, pos)) {
            break;
          }
          continue;
        }
        // The end of the mandatory repetitions is the least the run may give
        // back to.
        int lowest = pos;
        if (s.Min > 0) {
          int mandatory = 0;
          lowest = s.Code->ExecRepeat(context_, pos, s.Min, mandatory);
          if (mandatory < s.Min) {
            break;
          }
        }
        const int after = RunEnd(s, pc, lowest);
        if (s.LoopKind != lkPossessive && after > lowest) {
          Push(ekRepeatGreedy, pc, after, lowest, pos);
        }
        pos = after;
        pc = s.Next;
        if (MemoEligible(s, pos) && MemoTest(s.MemoIndex, pos)) {
          break;
        }
        continue;
      }
      case nkLoop:
      case nkLoopEnd: {
        const TRENFAState& head = s.Kind == nkLoop ? s : states[static_cast<std::size_t>(s.Alt)];
        const int head_index = s.Kind == nkLoop ? pc : s.Alt;
        const int count_register = program.LoopCountRegister(head.Loop);
        const int start_register = count_register + 1;
        int count = registers_[static_cast<std::size_t>(count_register)];
        const int iteration_start = registers_[static_cast<std::size_t>(start_register)];
        if (s.Kind == nkLoop) {
          SetRegisters2(count_register, 0, iteration_start);
          count = 0;
        } else {
          SetRegisters2(count_register, count + 1, iteration_start);
          ++count;
          if (pos == iteration_start && head.Max < 0 && count >= head.Min) {
            // An optional iteration that took nothing ends an unbounded loop
            // (the next one would do the same again); mandatory iterations
            // and those of a bounded loop run in any case, as in Perl.
            pc = head.Next;
            continue;
          }
        }
        if (count < head.Min) {
          registers_[static_cast<std::size_t>(start_register)] = pos;
          pc = head.Alt;
          continue;
        }
        if (head.Max >= 0 && count >= head.Max) {
          pc = head.Next;
          continue;
        }
        // From here on the loop's future depends on the position alone (its
        // count is past the minimum and has no maximum): a fresh entry into a
        // loop with no minimum is the same as a later iteration.
        const bool memo = (s.Kind == nkLoopEnd || head.Min == 0) && MemoEligible(head, pos);
        if (memo && MemoTest(head.MemoIndex, pos)) {
          break;
        }
        if (head.LoopKind == lkReluctant || ContinuationMayStart(head, pos)) {
          Push(ekLoop, head_index, pos, memo ? 1 : 0);
          const auto at = static_cast<std::size_t>(count_register);
          if (head.LoopKind != lkReluctant && trail_epochs_[at] == epoch_ - 1 &&
              trail_epochs_[at + 1] == epoch_ - 1) {
            // Resuming a greedy loop's exit leaves the loop, where its own
            // registers are dead (they are set again on entry): their trail
            // entry below serves the choice points below it still, and the
            // next iteration need not trail them again.
            trail_epochs_[at] = epoch_;
            trail_epochs_[at + 1] = epoch_;
          }
        } else if (memo) {
          // Leaving the loop here fails at once: only the memo mark stays.
          PushMemo(head_index, pos);
        }
        if (head.LoopKind == lkReluctant) {
          pc = head.Next;
        } else {
          registers_[static_cast<std::size_t>(start_register)] = pos;
          pc = head.Alt;
        }
        continue;
      }
      case nkGroupBegin:
        SetRegister(CapturePending(s.Group), pos);
        pc = s.Next;
        continue;
      case nkGroupEnd: {
        const int frame = registers_[static_cast<std::size_t>(register_frame_)];
        if (frame >= 0 && arena_[static_cast<std::size_t>(frame + kFrameGroup)] == s.Group) {
          pc = Return(pos);
          continue;
        }
        CloseCapture(s.Group, pos);
        pc = s.Next;
        continue;
      }
      case nkKeepPattern:
        if (!InsideAssertion()) {
          SetRegister(regex::CaptureStart(0), pos);
        }
        pc = s.Next;
        continue;
      case nkSuspend:
      case nkAheadMatch:
      case nkAheadNoMatch:
      case nkBehindMatch:
      case nkBehindNoMatch:
      case nkIfMatch:
        Push(ekBarrier, pc, pos, registers_[static_cast<std::size_t>(register_barrier_)]);
        registers_[static_cast<std::size_t>(register_barrier_)] =
            static_cast<int>(stack_.size()) - 1;
        pc = s.Next;
        continue;
      case nkBehindStep: {
        const int lowest =
            s.Max < 0 ? context_.WindowBegin : std::max(context_.WindowBegin, pos - s.Max);
        int candidate = pos - s.Min;
        while (candidate >= lowest &&
               IsInsidePair(context_.Text, context_.WindowBegin, context_.WindowEnd, candidate)) {
          --candidate;
        }
        if (candidate < lowest) {
          break;
        }
        if (candidate - 1 >= lowest) {
          Push(ekBehind, pc, candidate - 1, lowest);
        }
        pos = candidate;
        pc = s.Next;
        continue;
      }
      case nkMatchEnd: {
        const int barrier = registers_[static_cast<std::size_t>(register_barrier_)];
        const TREBacktrackEntry entry = stack_[static_cast<std::size_t>(barrier)];
        const TRENFAState& construct = states[static_cast<std::size_t>(entry.State)];
        if (construct.Kind == nkSuspend) {
          Cut(barrier);
          pc = s.Next;
          continue;
        }
        if (IsBehindAssertion(construct) && pos != entry.Pos) {
          break;
        }
        if (IsNegativeAssertion(construct)) {
          Unwind(barrier);
          if (construct.Kind == nkIfMatch) {
            pos = entry.Pos;
            pc = construct.Else;
            continue;
          }
          break;
        }
        Cut(barrier);
        pos = entry.Pos;
        pc = construct.Alt;
        continue;
      }
      case nkEnd: {
        const int frame = registers_[static_cast<std::size_t>(register_frame_)];
        if (frame >= 0 && arena_[static_cast<std::size_t>(frame + kFrameGroup)] == 0) {
          pc = Return(pos);
          continue;
        }
        registers_[static_cast<std::size_t>(regex::CaptureEnd(0))] = pos;
        return TResult::kMatch;
      }
      case nkGoSub: {
        bool looping = false;
        int frames_seen = 0;
        for (int frame = registers_[static_cast<std::size_t>(register_frame_)]; frame >= 0;
             frame = arena_[static_cast<std::size_t>(frame + kFrameParent)]) {
          ++frames_seen;
          const int at = arena_[static_cast<std::size_t>(frame + kFramePosition)];
          if (at < pos) {
            // Inside a call the position never goes below where it was
            // called (a lookbehind, the one way back, cannot hold a call):
            // every caller further up called from here or before.
            break;
          }
          if (arena_[static_cast<std::size_t>(frame + kFrameGroup)] == s.Group && at == pos) {
            // The same call again without progress would never end.
            looping = true;
            break;
          }
        }
        // The walk grows with the depth of recursion: charged to the budget,
        // so that deep recursion at every start position cannot run on
        // unbounded between two steps.
        CountSteps(frames_seen);
        if (looping) {
          break;
        }
        const int frame = registers_[static_cast<std::size_t>(register_frame_)];
        int record = -1;
        if (program.CallMemoAllowed &&
            (frame < 0 || arena_[static_cast<std::size_t>(frame + kFramePosition)] < pos)) {
          // No frame stands here: the call's ends depend on the group and
          // the position alone.
          record = CallRecordFor(s.Group, pos);
          if (record >= 0) {
            const TRECallRecord& known = call_records_[static_cast<std::size_t>(record)];
            if (known.Status == TRECallRecord::kComplete) {
              if (known.Count == 0) {
                break;
              }
              if (known.Count > 1) {
                Push(ekCallEnds, pc, pos, 1, record);
              }
              pos = known.Ends[0];
              pc = s.Next;
              continue;
            }
            if (known.Status == TRECallRecord::kRecording) {
              record = -1;  // an earlier call records it
            }
          }
        }
        Call(s, pos, record);
        pc = s.Alt;
        continue;
      }
      case nkIfThen: {
        const auto& condition = static_cast<const TREConditionCode&>(*s.Code);
        bool holds = false;
        if (condition.Kind() == ckIfThenReference || condition.Kind() == ckIfThenNamedReference) {
          for (const int group : condition.Groups()) {
            holds = holds || registers_[static_cast<std::size_t>(regex::CaptureEnd(group))] >= 0;
          }
        } else {
          const int frame = registers_[static_cast<std::size_t>(register_frame_)];
          if (frame >= 0) {
            const int called = arena_[static_cast<std::size_t>(frame + kFrameGroup)];
            holds = condition.Groups().empty() ||
                    std::find(condition.Groups().begin(), condition.Groups().end(), called) !=
                        condition.Groups().end();
          }
        }
        pc = holds ? s.Next : s.Else;
        continue;
      }
      case nkCallout: {
        const bool is_condition = (s.Flags & kStateCondition) != 0;
        const auto& callout = static_cast<const TRECalloutCode&>(*s.Code);
        bool is_match = false;
        int match_length = 0;
        if (owner_.OnCallout()) {
          TCalloutData data{1,
                            callout.Number(),
                            pos + 1,
                            attempt_start_ + 1,
                            callout.PatternPosition() + 1,
                            callout.PatternLength()};
          owner_.OnCallout()(owner_, &data, is_match, match_length);
        }
        if (is_condition) {
          pc = is_match ? s.Next : s.Else;
          continue;
        }
        if (is_match && match_length >= 0 && match_length <= context_.WindowEnd - pos &&
            !IsInsidePair(context_.Text, context_.WindowBegin, context_.WindowEnd,
                          pos + match_length)) {
          pos += match_length;
          pc = s.Next;
          continue;
        }
        break;
      }
      case nkDefine:
        pc = s.Next;
        continue;
      case nkFail:
        break;
      case nkMark:
      case nkPrune:
      case nkSkip:
      case nkThen:
      case nkCommit:
        if (s.Group >= 0 && s.Kind != nkSkip) {
          Push(ekTrailMark, s.Group, pos, registers_[static_cast<std::size_t>(register_mark_)]);
          registers_[static_cast<std::size_t>(register_mark_)] = s.Group;
          last_mark_seen_ = s.Group;
        }
        if (s.Kind != nkMark) {
          Push(ekVerb, pc, pos);
        }
        pc = s.Next;
        continue;
      case nkAccept: {
        const std::vector<TREAcceptStep>& chain =
            program.AcceptChains[static_cast<std::size_t>(s.Group)];
        int next = -1;
        for (const TREAcceptStep& step : chain) {
          if (step.Kind == asCloseGroup) {
            const int frame = registers_[static_cast<std::size_t>(register_frame_)];
            if (frame >= 0 && arena_[static_cast<std::size_t>(frame + kFrameGroup)] == step.Value) {
              next = Return(pos);
              break;
            }
            const int pending = registers_[static_cast<std::size_t>(CapturePending(step.Value))];
            if (pending >= 0) {
              SetRegisters2(regex::CaptureStart(step.Value), pending, pos);
            }
          } else if (step.Kind == asCloseAtomic) {
            Cut(registers_[static_cast<std::size_t>(register_barrier_)]);
          } else {
            next = step.Value;
            break;
          }
        }
        if (next < 0) {
          const int frame = registers_[static_cast<std::size_t>(register_frame_)];
          if (frame >= 0 && arena_[static_cast<std::size_t>(frame + kFrameGroup)] == 0) {
            next = Return(pos);
          } else {
            registers_[static_cast<std::size_t>(regex::CaptureEnd(0))] = pos;
            return TResult::kMatch;
          }
        }
        pc = next;
        continue;
      }
      default:
        pc = s.Next;
        continue;
    }
    if (!Backtrack(pc, pos, result)) {
      return result;
    }
  }
}

bool TREMatchEngine::PopBarrier(const TREBacktrackEntry& entry, int& pc, int& pos) {
  const TRENFAState& construct = program_->States[static_cast<std::size_t>(entry.State)];
  registers_[static_cast<std::size_t>(register_barrier_)] = entry.A;
  if (construct.Kind == nkIfMatch) {
    pos = entry.Pos;
    pc = IsNegativeAssertion(construct) ? construct.Alt : construct.Else;
    return true;
  }
  if (construct.Kind == nkAheadNoMatch || construct.Kind == nkBehindNoMatch) {
    pos = entry.Pos;
    pc = construct.Alt;
    return true;
  }
  return false;
}

bool TREMatchEngine::Backtrack(int& pc, int& pos, TResult& result) {
  const TRECompiledProgram& program = *program_;
  for (;;) {
    if (stack_.empty()) {
      result = TResult::kFail;
      return false;
    }
    TREBacktrackEntry& top = stack_.back();
    if (IsTrail(top.Kind)) {
      ApplyTrail(top, true);
      stack_.pop_back();
      continue;
    }
    switch (top.Kind) {
      case ekCallEnds: {
        CountStep();
        const TRECallRecord& known = call_records_[static_cast<std::size_t>(top.B)];
        pos = known.Ends[static_cast<std::size_t>(top.A)];
        pc = program.States[static_cast<std::size_t>(top.State)].Next;
        if (++top.A >= known.Count) {
          stack_.pop_back();
        }
        return true;
      }
      case ekBranch: {
        CountStep();
        const TRENFAState& s = program.States[static_cast<std::size_t>(top.State)];
        const int current = top.A;
        pos = top.Pos;
        pc = program.Branches[static_cast<std::size_t>(s.Alt + current)];
        const int following = FirstViable(s.Alt, current + 1, s.Max, pos);
        if (following < s.Max) {
          top.A = following;
        } else if (top.B != 0) {
          top.Kind = ekMemo;
          top.A = top.Pos;
        } else if (program.HasThen) {
          top.Kind = ekAltEnd;
        } else {
          stack_.pop_back();
        }
        return true;
      }
      case ekMemo:
        for (int at = top.Pos; at <= top.A; ++at) {
          MemoRecord(program.States[static_cast<std::size_t>(top.State)].MemoIndex, at);
        }
        stack_.pop_back();
        continue;
      case ekAltEnd:
        stack_.pop_back();
        continue;
      case ekRepeatGreedy: {
        CountStep();
        const TRENFAState& s = program.States[static_cast<std::size_t>(top.State)];
        if (MemoEligible(s, top.Pos)) {
          MemoRecord(s.MemoIndex, top.Pos);
        }
        const bool jumps = SkipsByMemo(s, top.State);
        bool resumed = false;
        while (top.Pos > top.A) {
          CountStep();
          int back = s.Code->StepBack(context_, top.B, top.Pos);
          if (jumps) {
            // Every character boundary of the run ends a repetition: skip
            // the positions the memo rules out all at once.
            back = LastUnmemoized(s, back, top.A);
            if (back < top.A) {
              break;
            }
            top.Pos = back;
          } else {
            top.Pos = back;
            if (MemoEligible(s, top.Pos) && MemoTest(s.MemoIndex, top.Pos)) {
              continue;
            }
          }
          if (ContinuationMayStart(s, top.Pos)) {
            resumed = true;
            break;
          }
          // The continuation fails here at once: so the memo says (the next
          // run given back over this place skips it with the others).
          if (jumps && MemoEligible(s, top.Pos)) {
            MemoRecord(s.MemoIndex, top.Pos);
          }
        }
        if (!resumed) {
          stack_.pop_back();
          continue;
        }
        pos = top.Pos;
        pc = s.Next;
        if (top.Pos == top.A && !MemoEligible(s, pos)) {
          stack_.pop_back();
        }
        return true;
      }
      case ekRepeatLazy: {
        CountStep();
        const TRENFAState& s = program.States[static_cast<std::size_t>(top.State)];
        if (MemoEligible(s, top.Pos)) {
          MemoRecord(s.MemoIndex, top.Pos);
        }
        const bool jumps = SkipsByMemo(s, top.State);
        bool resumed = false;
        if (jumps) {
          // Every character boundary of the run ends a repetition. While
          // the memo rules out nothing ahead, one character is taken at a
          // time; where it rules out the next end, the run's end is read
          // once (no further than the count left allows) and the positions
          // the memo rules out are taken all at once. A repetition that
          // finds its continuation soon never reads its whole run.
          for (;;) {
            CountStep();
            int next = 0;
            if (top.B < 0) {
              int length = 0;
              if ((s.Max >= 0 && top.A >= s.Max) || !s.Code->IsEqual(context_, top.Pos, length) ||
                  length == 0) {
                break;
              }
              next = top.Pos + length;
              ++top.A;
              if (MemoEligible(s, next) && MemoTest(s.MemoIndex, next)) {
                top.Pos = next;
                if (s.Max < 0) {
                  top.B = RunEnd(s, top.State, top.Pos);
                } else {
                  int count = 0;
                  top.B = s.Code->ExecRepeat(context_, top.Pos, s.Max - top.A, count);
                  CountSteps(top.B - top.Pos);
                }
                continue;
              }
            } else {
              if (top.Pos >= top.B) {
                break;
              }
              next = FirstUnmemoized(s, top.Pos + 1, top.B);
              if (next > top.B) {
                break;
              }
            }
            top.Pos = next;
            if (ContinuationMayStart(s, top.Pos)) {
              resumed = true;
              break;
            }
            // The continuation fails here at once: so the memo says.
            if (MemoEligible(s, top.Pos)) {
              MemoRecord(s.MemoIndex, top.Pos);
            }
          }
        } else {
          while (s.Max < 0 || top.A < s.Max) {
            CountStep();
            int length = 0;
            if (!s.Code->IsEqual(context_, top.Pos, length) || length == 0) {
              break;
            }
            top.Pos += length;
            ++top.A;
            if (!(MemoEligible(s, top.Pos) && MemoTest(s.MemoIndex, top.Pos)) &&
                ContinuationMayStart(s, top.Pos)) {
              resumed = true;
              break;
            }
          }
        }
        if (!resumed) {
          stack_.pop_back();
          continue;
        }
        pos = top.Pos;
        pc = s.Next;
        return true;
      }
      case ekLoop: {
        CountStep();
        const TRENFAState& head = program.States[static_cast<std::size_t>(top.State)];
        pos = top.Pos;
        if (top.A != 0) {
          top.Kind = ekMemo;
          top.A = top.Pos;
        } else {
          stack_.pop_back();
        }
        if (head.LoopKind == lkReluctant) {
          registers_[static_cast<std::size_t>(program.LoopStartRegister(head.Loop))] = pos;
          pc = head.Alt;
        } else {
          pc = head.Next;
        }
        return true;
      }
      case ekBehind: {
        CountStep();
        int candidate = top.Pos;
        while (candidate >= top.A &&
               IsInsidePair(context_.Text, context_.WindowBegin, context_.WindowEnd, candidate)) {
          --candidate;
        }
        const TRENFAState& s = program.States[static_cast<std::size_t>(top.State)];
        if (candidate < top.A) {
          stack_.pop_back();
          continue;
        }
        if (candidate - 1 >= top.A) {
          top.Pos = candidate - 1;
        } else {
          stack_.pop_back();
        }
        pos = candidate;
        pc = s.Next;
        return true;
      }
      case ekBarrier: {
        const TREBacktrackEntry entry = top;
        stack_.pop_back();
        if (PopBarrier(entry, pc, pos)) {
          return true;
        }
        continue;
      }
      case ekVerb: {
        CountStep();
        const TREBacktrackEntry entry = top;
        stack_.pop_back();
        if (program.States[static_cast<std::size_t>(entry.State)].Kind == nkThen) {
          if (PopThen(entry, pc, pos, result)) {
            return true;
          }
          if (result != TResult::kFail) {
            return false;
          }
          continue;
        }
        if (PopVerb(entry, pc, pos, result)) {
          return true;
        }
        if (result != TResult::kFail) {
          return false;
        }
        continue;
      }
      default:
        stack_.pop_back();
        continue;
    }
  }
}

// (*THEN) backtracked onto: on to the next alternative of the innermost
// enclosing alternation. Returns true to resume at pc/pos; false with
// result kFail to go on backtracking, or another result to end the attempt.
bool TREMatchEngine::PopThen(const TREBacktrackEntry& entry, int& pc, int& pos, TResult& result) {
  const TRENFAState& verb = program_->States[static_cast<std::size_t>(entry.State)];
  result = TResult::kFail;
  // Unwinds to the innermost enclosing alternation (verb.Alt), but never out
  // of an assertion (it fails there as a whole) or a call (which fails);
  // atomic groups pass it on. With none of these it acts as (*PRUNE).
  while (!stack_.empty()) {
    TREBacktrackEntry& top = stack_.back();
    if (IsTrail(top.Kind)) {
      const bool call_boundary = top.Kind == ekTrailArena;
      ApplyTrail(top);
      stack_.pop_back();
      if (call_boundary) {
        return false;
      }
      continue;
    }
    if (verb.Alt >= 0 && (top.Kind == ekBranch || top.Kind == ekAltEnd) && top.State == verb.Alt) {
      if (top.Kind == ekAltEnd) {
        stack_.pop_back();
        return false;
      }
      return Backtrack(pc, pos, result);
    }
    if (top.Kind == ekBarrier) {
      const TREBacktrackEntry barrier = top;
      stack_.pop_back();
      if (program_->States[static_cast<std::size_t>(barrier.State)].Kind == nkSuspend) {
        registers_[static_cast<std::size_t>(register_barrier_)] = barrier.A;
        continue;
      }
      return PopBarrier(barrier, pc, pos);
    }
    stack_.pop_back();
  }
  result = TResult::kSkip;
  skip_position_ = -1;
  return false;
}

// (*PRUNE), (*SKIP) or (*COMMIT) backtracked onto.
bool TREMatchEngine::PopVerb(const TREBacktrackEntry& entry, int& pc, int& pos, TResult& result) {
  const TRENFAState& verb = program_->States[static_cast<std::size_t>(entry.State)];
  result = TResult::kFail;
  int skip_to = entry.Pos;
  if (verb.Kind == nkSkip && verb.Group >= 0) {
    // (*SKIP:NAME): to the last (*MARK:NAME) on the path; ignored if none.
    skip_to = -1;
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
      if (it->Kind == ekTrailMark && it->State == verb.Group) {
        skip_to = it->Pos;
        break;
      }
    }
    if (skip_to < 0) {
      return false;
    }
  }
  // The innermost unfinished negative or conditional assertion, or call,
  // catches the verb; atomic groups and positive assertions pass it on.
  int assertion = registers_[static_cast<std::size_t>(register_barrier_)];
  while (assertion >= 0) {
    const TRENFAState& construct =
        program_
            ->States[static_cast<std::size_t>(stack_[static_cast<std::size_t>(assertion)].State)];
    if (construct.Kind == nkIfMatch || IsNegativeAssertion(construct)) {
      break;
    }
    assertion = stack_[static_cast<std::size_t>(assertion)].A;
  }
  const int frame = registers_[static_cast<std::size_t>(register_frame_)];
  const int call = frame >= 0 ? arena_[static_cast<std::size_t>(frame + kFrameStack)] : -1;
  if (assertion >= 0 && assertion > call) {
    while (static_cast<int>(stack_.size()) > assertion + 1) {
      PopUndoing();
    }
    const TREBacktrackEntry barrier = stack_.back();
    stack_.pop_back();
    return PopBarrier(barrier, pc, pos);
  }
  if (call >= 0) {
    // The call fails: back to before it.
    while (static_cast<int>(stack_.size()) > call) {
      PopUndoing();
    }
    return false;
  }
  switch (verb.Kind) {
    case nkSkip:
      skip_position_ = skip_to;
      result = TResult::kSkip;
      break;
    case nkCommit:
      result = TResult::kCommit;
      break;
    default:
      result = TResult::kSkip;
      skip_position_ = -1;
      break;
  }
  return false;
}

}  // namespace tenrovel::regex
