// TRegExp: the object that ties the stages together (compile on demand,
// the subject and its window, the match calls and their results).
#include "regex/regexp.h"

#include "regex/regex_compiler.h"
#include "regex/regex_matcher.h"
#include "regex/regex_messages.h"
#include "regex/regex_parser.h"
#include "regex/regex_prefilter.h"
#include "regex/regex_utf.h"

namespace tenrovel::regex {

TRegExp::TRegExp()
    : groups_(input_string_, expression_), engine_(std::make_unique<TREMatchEngine>(*this)) {}

TRegExp::~TRegExp() = default;

void TRegExp::SetExpression(std::u16string_view expression) {
  if (expression != expression_) {
    expression_ = expression;
    compiled_ = false;
    exec_ready_ = false;
  }
}

void TRegExp::SetOptions(TREOptions options) {
  if (options != options_) {
    options_ = options;
    compiled_ = false;
    exec_ready_ = false;
  }
}

bool TRegExp::GetOptions(int index) const {
  return options_.Contains(kOptionOfIndex[static_cast<std::size_t>(index)]);
}

void TRegExp::SetOptions(int index, bool value) {
  TREOptions options = options_;
  options.Set(kOptionOfIndex[static_cast<std::size_t>(index)], value);
  SetOptions(options);
}

bool TRegExp::DefineCharClassLegacy() const { return options_.Contains(roDefinedCharClassLegacy); }

void TRegExp::SetDefineCharClassLegacy(bool value) {
  TREOptions options = options_;
  options.Set(roDefinedCharClassLegacy, value);
  SetOptions(options);
}

bool TRegExp::IgnoreZenHan() const { return IgnoreWidth() && IgnoreKana(); }

void TRegExp::SetIgnoreZenHan(bool value) {
  TREOptions options = options_;
  options.Set(roIgnoreWidth, value);
  options.Set(roIgnoreKana, value);
  SetOptions(options);
}

void TRegExp::ClearMatchState() {
  matched_ = false;
  match_begin_ = window_begin_;
  match_end_ = window_begin_;
  groups_.ResetCaptures();
}

void TRegExp::SetInputString(std::u16string_view input) {
  input_string_ = input;
  has_subject_ = true;
  engine_->ResetMemo();
  window_begin_ = 0;
  window_end_ = static_cast<int>(input_string_.size());
  global_pos_ = 0;
  start_index_ = 1;
  window_length_ = 0;
  ClearMatchState();
  input_just_set_ = true;
}

void TRegExp::Compile() {
  if (compiled_) {
    return;
  }
  program_.reset();
  engine_->SetProgram(nullptr);
  groups_.Clear();
  matched_ = false;
  auto program = std::make_unique<TRECompiledProgram>();
  {
    TREParser parser(expression_, options_, program->Codes, groups_);
    const std::unique_ptr<TREBinCode> tree = parser.Parse();
    TRENFA(*program).Compile(*tree, parser.GroupCount());
    Optimize(*tree, *program);
  }
  program_ = std::move(program);
  engine_->SetProgram(program_.get());
  compiled_ = true;
}

bool TRegExp::Exec(std::u16string_view input) {
  Compile();
  SetInputString(input);
  exec_ready_ = true;
  return MatchEntry(0);
}

bool TRegExp::ExecNext() {
  if (!compiled_ || !exec_ready_) {
    throw ERegExpRuntime(std::u16string(sExecFuncNotCall));
  }
  if (!matched_) {
    return false;
  }
  int start = match_end_;
  if (match_end_ == match_begin_) {
    // After an empty match, one character on (a surrogate pair is one).
    const char16_t* text = input_string_.data();
    start += start + 1 < window_end_ && IsHighSurrogate(text[start]) &&
                     IsLowSurrogate(text[start + 1])
                 ? 2
                 : 1;
  }
  start_index_ = start + 1;
  return MatchEntry(start);
}

bool TRegExp::ExecPos(int index, int length) {
  start_index_ = index;
  window_length_ = length;
  if (index <= 0 || !has_subject_) {
    return false;
  }
  if (!input_just_set_) {
    engine_->ResetMemo();
  }
  Compile();
  exec_ready_ = true;
  const int subject_length = static_cast<int>(input_string_.size());
  const int start = index < 2 ? 0 : index - 1;
  if (start > subject_length) {
    matched_ = false;
    groups_.ResetCaptures();
    return false;
  }
  if (length <= 0) {
    window_begin_ = 0;
    window_end_ = subject_length;
  } else {
    window_begin_ = start;
    window_end_ = start + length > subject_length ? subject_length : start + length;
    window_length_ = window_end_ - window_begin_;
  }
  global_pos_ = window_begin_;
  return MatchEntry(start);
}

bool TRegExp::MatchEntry(int start) {
  input_just_set_ = false;
  matched_ = false;
  if (start > window_end_) {
    ClearMatchState();
    return false;
  }
  TREMatchContext context;
  context.Text = input_string_.data();
  context.SubjectEnd = static_cast<int>(input_string_.size());
  context.WindowBegin = window_begin_;
  context.WindowEnd = window_end_;
  context.GlobalPos = global_pos_;
  bool found = false;
  try {
    found = engine_->Match(context, start);
  } catch (...) {
    ClearMatchState();
    throw;
  }
  if (!found) {
    ClearMatchState();
    error_mark_ = engine_->FailMarkIndex();
    return false;
  }
  for (int group = 0; group < groups_.Count(); ++group) {
    TRECaptureCollection& captures = groups_[group].Captures();
    captures.Reset();
    if (group <= program_->GroupCount) {
      captures.Top().Assign(engine_->CaptureStart(group), engine_->CaptureEnd(group));
    }
  }
  match_begin_ = engine_->CaptureStart(0);
  match_end_ = engine_->CaptureEnd(0);
  global_pos_ = match_end_;
  matched_ = true;
  last_mark_ = engine_->MarkIndex();
  if (on_match_) {
    on_match_(*this);
  }
  return true;
}

int TRegExp::GroupCount() {
  Compile();
  return groups_.Count() - 1;
}

std::u16string TRegExp::GroupNameFromIndex(int index) {
  Compile();
  return groups_[index].GroupName();
}

int TRegExp::IndexFromGroupName(std::u16string_view name) {
  Compile();
  const int matched = groups_.IndexOfMatchedName(name);
  return matched >= 0 ? matched : groups_.IndexOfName(name);
}

std::u16string TRegExp::RegMark() const {
  if (!matched_ || last_mark_ < 0 || program_ == nullptr) {
    return {};
  }
  return program_->MarkNames[static_cast<std::size_t>(last_mark_)];
}

std::u16string TRegExp::RegError() const {
  if (matched_ || error_mark_ < 0 || program_ == nullptr) {
    return {};
  }
  return program_->MarkNames[static_cast<std::size_t>(error_mark_)];
}

}  // namespace tenrovel::regex
