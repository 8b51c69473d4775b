// PCRE2's 16-bit library (UTF + UCP), interpreter or JIT, counting every
// match of a pattern the way TRegExp's Exec and ExecNext walk a subject, for
// regex_bench's side-by-side runs. Benchmark only: the product never links
// PCRE2. Thread rules: one object per thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tenrovel::bench {

enum class Pcre2Mode { kInterpreter, kJit };

// The outcome of walking one subject: the number of matches, or why the walk
// stopped ("match limit", "depth limit", "heap limit", "JIT stack limit" or
// PCRE2's own message).
struct Pcre2Count {
  std::size_t matches = 0;
  std::string error;
};

class Pcre2Matcher {
 public:
  // `letters`: option letters of TRegExp that PCRE2 has too (i m s x n).
  // Without `start_optimized` the pattern is compiled with
  // PCRE2_NO_START_OPTIMIZE (no first or required code unit, no minimum
  // length: every start is tried).
  Pcre2Matcher(std::u16string_view pattern, std::string_view letters, Pcre2Mode mode,
               bool start_optimized);
  ~Pcre2Matcher();
  Pcre2Matcher(const Pcre2Matcher&) = delete;
  Pcre2Matcher& operator=(const Pcre2Matcher&) = delete;

  // Empty when the pattern compiled (and, for kJit, was JIT-compiled).
  const std::string& CompileError() const { return compile_error_; }
  // Every match from the start: after a match ending at e the next search
  // starts at e, after an empty match one character later. The subject is
  // checked for valid UTF-16 once, by the first search, as an application
  // searching one text over and over would.
  Pcre2Count CountAll(std::u16string_view subject);

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  std::string compile_error_;
};

}  // namespace tenrovel::bench
