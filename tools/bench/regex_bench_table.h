// The Markdown table regex_bench prints: per pattern our time, PCRE2's
// interpreter and JIT times, the ratios and their geometric means, with a
// mark where the engines found different numbers of matches.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tenrovel::bench {

enum class Engine { kOurs, kInterpreter, kJit };
inline constexpr std::size_t kEngines = 3;

// One engine's run of one pattern: a time, or the reason it has none
// ("budget", "match limit", a compile error).
struct EngineResult {
  double ms = 0;
  double matches = 0;
  std::string error;
};

struct TableRow {
  std::string pattern;  // as written for our engine
  std::string options;  // option letters, "w k" for the width and kana folding
  std::string subject;
  std::string pcre2_pattern;  // empty when PCRE2 gets the same pattern
  std::array<std::optional<EngineResult>, kEngines> results;
};

// The table, a line per row, the geometric means and the notes (PCRE2's
// own patterns, what the marks mean). Without PCRE2 only our columns.
std::string MarkdownTable(const std::vector<TableRow>& rows, bool with_pcre2);

}  // namespace tenrovel::bench
