// The PCRE2 side of regex_bench (regex_bench_pcre2.h).
#include "regex_bench_pcre2.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "platform/codepage.h"
#include "regex_bench_subjects.h"

namespace tenrovel::bench {

namespace {

// The JIT runs on a stack of its own; a generous one keeps it from failing
// where the interpreter, which uses the heap, would go on.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 64 * 1024 * 1024;

std::string ErrorText(int code) {
  switch (code) {
    case PCRE2_ERROR_MATCHLIMIT:
      return "match limit";
    case PCRE2_ERROR_DEPTHLIMIT:
      return "depth limit";
    case PCRE2_ERROR_HEAPLIMIT:
      return "heap limit";
    case PCRE2_ERROR_JIT_STACKLIMIT:
      return "JIT stack limit";
    default:
      break;
  }
  PCRE2_UCHAR16 buffer[256];
  const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
  if (length < 0)
    return "PCRE2 error " + std::to_string(code);
  return platform::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                                   static_cast<std::size_t>(length)));
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

struct Pcre2Matcher::Handles {
  pcre2_code* code = nullptr;
  pcre2_match_data* match_data = nullptr;
  pcre2_match_context* match_context = nullptr;
  pcre2_jit_stack* jit_stack = nullptr;

  Handles() = default;
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;
  ~Handles() {
    pcre2_jit_stack_free(jit_stack);
    pcre2_match_context_free(match_context);
    pcre2_match_data_free(match_data);
    pcre2_code_free(code);
  }
};

Pcre2Matcher::Pcre2Matcher(std::u16string_view pattern, std::string_view letters, Pcre2Mode mode,
                           bool start_optimized)
    : handles_(std::make_unique<Handles>()) {
  std::uint32_t options = PCRE2_UTF | PCRE2_UCP;
  if (!start_optimized)
    options |= PCRE2_NO_START_OPTIMIZE;
  for (const char letter : letters) {
    switch (letter) {
      case 'i':
        options |= PCRE2_CASELESS;
        break;
      case 'm':
        options |= PCRE2_MULTILINE;
        break;
      case 's':
        options |= PCRE2_DOTALL;
        break;
      case 'x':
        options |= PCRE2_EXTENDED;
        break;
      case 'n':
        options |= PCRE2_NO_AUTO_CAPTURE;
        break;
      default:
        compile_error_ = std::string("no PCRE2 option for '") + letter + "'";
        return;
    }
  }
  int error = 0;
  PCRE2_SIZE offset = 0;
  handles_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                 options, &error, &offset, nullptr);
  if (handles_->code == nullptr) {
    compile_error_ = ErrorText(error) + " at " + std::to_string(offset);
    return;
  }
  handles_->match_data = pcre2_match_data_create_from_pattern(handles_->code, nullptr);
  handles_->match_context = pcre2_match_context_create(nullptr);
  if (mode == Pcre2Mode::kJit) {
    const int jit = pcre2_jit_compile(handles_->code, PCRE2_JIT_COMPLETE);
    if (jit != 0) {
      compile_error_ = "JIT: " + ErrorText(jit);
      return;
    }
    handles_->jit_stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    pcre2_jit_stack_assign(handles_->match_context, nullptr, handles_->jit_stack);
  }
}

Pcre2Matcher::~Pcre2Matcher() = default;

Pcre2Count Pcre2Matcher::CountAll(std::u16string_view subject) {
  Pcre2Count count;
  const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
  std::uint32_t check = 0;
  std::size_t offset = 0;
  while (offset <= subject.size()) {
    const int rc = pcre2_match(handles_->code, text, subject.size(), offset, check,
                               handles_->match_data, handles_->match_context);
    check = PCRE2_NO_UTF_CHECK;
    if (rc == PCRE2_ERROR_NOMATCH)
      break;
    if (rc < 0) {
      count.error = ErrorText(rc);
      break;
    }
    ++count.matches;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(handles_->match_data);
    const std::size_t start = ovector[0];
    const std::size_t end = ovector[1];
    offset = end;
    if (end <= start) {
      // Past an empty match by one character (a surrogate pair is one).
      offset = end + 1;
      if (end < subject.size() && IsHighSurrogate(subject[end]) && end + 1 < subject.size() &&
          IsLowSurrogate(subject[end + 1]))
        offset = end + 2;
    }
  }
  return count;
}

}  // namespace tenrovel::bench
