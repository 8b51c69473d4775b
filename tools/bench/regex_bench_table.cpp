// The Markdown table of regex_bench (regex_bench_table.h).
#include "regex_bench_table.h"

#include <cmath>
#include <cstdio>

namespace tenrovel::bench {

namespace {

// A code span that survives a Markdown table: '|' must be escaped even there.
std::string Code(const std::string& text) {
  std::string out = "`";
  for (const char c : text) {
    if (c == '|')
      out += '\\';
    out += c;
  }
  return out + "`";
}

std::string Milliseconds(double ms) {
  char buffer[32];
  if (ms >= 100)
    std::snprintf(buffer, sizeof buffer, "%.0f", ms);
  else if (ms >= 1)
    std::snprintf(buffer, sizeof buffer, "%.2f", ms);
  else if (ms > 0)
    // Three significant digits, never in exponent form.
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(std::ceil(-std::log10(ms))) + 2,
                  ms);
  else
    std::snprintf(buffer, sizeof buffer, "0");
  return buffer;
}

std::string Ratio(double ratio) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, ratio >= 100 ? "%.0f" : "%.2f", ratio);
  return buffer;
}

std::string Count(double matches) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.0f", matches);
  return buffer;
}

bool HasTime(const std::optional<EngineResult>& result) {
  return result.has_value() && result->error.empty();
}

std::string TimeCell(const std::optional<EngineResult>& result) {
  if (!result.has_value())
    return "–";
  return result->error.empty() ? Milliseconds(result->ms) : result->error;
}

// Our count, and each PCRE2 count that differs from it after a '≠'.
std::string MatchesCell(const TableRow& row, bool with_pcre2) {
  const auto& ours = row.results[static_cast<std::size_t>(Engine::kOurs)];
  std::string cell = HasTime(ours) ? Count(ours->matches) : "";
  if (!with_pcre2)
    return cell.empty() ? "–" : cell;
  for (const Engine engine : {Engine::kInterpreter, Engine::kJit}) {
    const auto& theirs = row.results[static_cast<std::size_t>(engine)];
    if (!HasTime(theirs))
      continue;
    if (cell.empty()) {
      cell = Count(theirs->matches);
    } else if (HasTime(ours) && theirs->matches != ours->matches) {
      cell += std::string(" ≠ ") + Count(theirs->matches) +
              (engine == Engine::kInterpreter ? " (interp.)" : " (JIT)");
    }
  }
  return cell.empty() ? "–" : cell;
}

struct Mean {
  double log_sum = 0;
  int count = 0;
  void Add(double ratio) {
    log_sum += std::log(ratio);
    ++count;
  }
  std::string Text() const {
    if (count == 0)
      return "–";
    return Ratio(std::exp(log_sum / count)) + " (" + std::to_string(count) +
           (count == 1 ? " pattern)" : " patterns)");
  }
};

}  // namespace

std::string MarkdownTable(const std::vector<TableRow>& rows, bool with_pcre2) {
  std::string out;
  if (with_pcre2) {
    out +=
        "| pattern | options | subject | matches | ours (ms) | PCRE2 interp. (ms) | PCRE2 JIT "
        "(ms) | ours/interp. | ours/JIT |\n"
        "|---|---|---|---:|---:|---:|---:|---:|---:|\n";
  } else {
    out +=
        "| pattern | options | subject | matches | ours (ms) |\n"
        "|---|---|---|---:|---:|\n";
  }
  Mean interpreter_mean;
  Mean jit_mean;
  std::string notes;
  int note = 0;
  for (const TableRow& row : rows) {
    const auto& ours = row.results[static_cast<std::size_t>(Engine::kOurs)];
    std::string pattern = Code(row.pattern);
    if (with_pcre2 && !row.pcre2_pattern.empty()) {
      ++note;
      pattern += " [" + std::to_string(note) + "]";
      notes += "- [" + std::to_string(note) + "] PCRE2 gets " + Code(row.pcre2_pattern) + "\n";
    }
    out += "| " + pattern + " | " + (row.options.empty() ? "" : row.options) + " | " + row.subject +
           " | " + MatchesCell(row, with_pcre2) + " | " + TimeCell(ours) + " |";
    if (with_pcre2) {
      const auto& interpreter = row.results[static_cast<std::size_t>(Engine::kInterpreter)];
      const auto& jit = row.results[static_cast<std::size_t>(Engine::kJit)];
      out += " " + TimeCell(interpreter) + " | " + TimeCell(jit) + " |";
      for (const auto* theirs : {&interpreter, &jit}) {
        if (HasTime(ours) && HasTime(*theirs) && (*theirs)->ms > 0) {
          const double ratio = ours->ms / (*theirs)->ms;
          (theirs == &interpreter ? interpreter_mean : jit_mean).Add(ratio);
          out += " " + Ratio(ratio) + " |";
        } else {
          out += " – |";
        }
      }
    }
    out += "\n";
  }
  if (with_pcre2) {
    out += "| geometric mean | | | | | | | " + interpreter_mean.Text() + " | " + jit_mean.Text() +
           " |\n";
    out +=
        "\nTimes are CPU milliseconds to find every match over the subject. \"budget\": our "
        "engine ran out of its step budget; \"match limit\": PCRE2 stopped at its match limit; "
        "a ratio is shown where both engines finished. \"≠\": PCRE2 found a different number "
        "of matches.\n";
    if (!notes.empty())
      out += "\n" + notes;
  }
  return out;
}

}  // namespace tenrovel::bench
