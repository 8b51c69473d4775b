// libFuzzer harness of the regex engine: compiles a pattern and runs it over
// a subject with every match call the object offers, checking what must hold
// for any pattern and subject. Built and run by run_regex_fuzz.sh.
//
// Input: two bytes of option bits (low byte first), then the pattern, a NUL
// byte and the subject. Both texts are read as UTF-8 that also admits encoded
// surrogates (ED A0 80 gives a lone U+D800); a byte that starts no sequence
// stands for itself (U+0080-U+00FF).
//
// Checked: compile errors and runtime errors are ERegExp and nothing else,
// and never an internal error; every group lies inside the subject and never
// cuts a surrogate pair; ExecNext moves forward; the prefilters change
// nothing (the same matches and groups with them switched off); replacing
// every match by itself gives the subject back; Split's pieces and the
// matches between them make up the subject.
//
// The step budget of a match call is cut to kFuzzStepLimit so that inputs
// whose work the failure memo cannot bound (each reaches the budget) still
// leave time for others; they show up among the slowest inputs.
//
// An input one of whose operations takes more than 100 ms of CPU time (or
// REGEX_FUZZ_SLOW_MS; 0: no limit) is a finding: the harness prints it as a
// regex-probe request and aborts, so libFuzzer keeps it. The operations are
// what a caller waits for: compiling, walking every match with the
// prefilters on and again with them off, Replace, Split. Inputs up to 4 KB
// are read whole (kMaxPattern, kMaxSubject). CPU time, not the clock: the
// fuzzer runs niced beside other work.
//
// With REGEX_FUZZ_SLOWEST=FILE set, the slowest inputs seen so far are kept
// in FILE as JSON lines (regex-probe's request format plus "ms"); a run
// starts from what the file already holds (libFuzzer's fork mode runs the
// harness in one process after another).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <time.h>

#include "../regex/probe_json.h"
#include "regex/regex_matcher.h"
#include "regex/regex_messages.h"
#include "regex/regex_prefilter.h"
#include "regex/regexp.h"

namespace {

using tenrovel::regex::ERegExp;
using tenrovel::regex::TRegExp;
using tenrovel::regex::TREOption;
using tenrovel::regex::TREOptions;

constexpr std::size_t kMaxPattern = 4096;
constexpr std::size_t kMaxSubject = 4096;
constexpr std::int64_t kFuzzStepLimit = 50'000;
constexpr double kSlowInputMs = 100;

struct OptionBit {
  char letter;
  TREOption option;
};

constexpr OptionBit kOptionBits[] = {
    {'i', tenrovel::regex::roIgnoreCase},     {'m', tenrovel::regex::roMultiLine},
    {'s', tenrovel::regex::roSingleLine},     {'x', tenrovel::regex::roExtended},
    {'n', tenrovel::regex::roNamedGroupOnly}, {'w', tenrovel::regex::roIgnoreWidth},
    {'k', tenrovel::regex::roIgnoreKana},     {'l', tenrovel::regex::roDefinedCharClassLegacy},
    {'a', tenrovel::regex::roAutoCallout},
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "regex_fuzz: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) {
    Fail(what);
  }
}

bool IsHigh(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Whether a 0-based offset falls between the two halves of a pair.
bool SplitsPair(const std::u16string& s, std::size_t offset) {
  return offset > 0 && offset < s.size() && IsHigh(s[offset - 1]) && IsLow(s[offset]);
}

std::u16string DecodeLenient(std::string_view bytes, std::size_t limit) {
  std::u16string out;
  std::size_t i = 0;
  while (i < bytes.size() && out.size() < limit) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    int trail = b >= 0xF0 && b <= 0xF4   ? 3
                : b >= 0xE0 && b <= 0xEF ? 2
                : b >= 0xC2 && b <= 0xDF ? 1
                                         : 0;
    char32_t cp = trail == 3 ? b & 0x07 : trail == 2 ? b & 0x0F : b & 0x1F;
    bool ok = trail > 0 && i + trail < bytes.size();
    for (int k = 1; ok && k <= trail; ++k) {
      const auto t = static_cast<unsigned char>(bytes[i + k]);
      ok = (t & 0xC0) == 0x80;
      cp = (cp << 6) | (t & 0x3F);
    }
    ok = ok && cp <= 0x10FFFF && cp >= (trail == 1 ? 0x80u : trail == 2 ? 0x800u : 0x10000u);
    if (!ok) {
      out.push_back(b);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += trail + 1;
  }
  return out;
}

struct Span {
  std::size_t start;
  std::size_t end;
};

// Checks the groups of the current match and returns group 0's span.
Span CheckGroups(TRegExp& re, const std::u16string& subject) {
  Check(re.Groups()[0].Success(), "a match without group 0");
  Span whole{};
  for (int g = 0; g <= re.GroupCount(); ++g) {
    const auto& group = re.Groups()[g];
    if (!group.Success()) {
      continue;
    }
    Check(group.Index() >= 1 && group.Length() >= 0, "a group with a bad index or length");
    const auto start = static_cast<std::size_t>(group.Index() - 1);
    const auto end = start + static_cast<std::size_t>(group.Length());
    Check(end <= subject.size(), "a group beyond the subject");
    Check(!SplitsPair(subject, start) && !SplitsPair(subject, end),
          "a group cuts a surrogate pair");
    Check(group.Strings() == subject.substr(start, end - start), "Strings differs from the span");
    if (g == 0) {
      whole = {start, end};
    }
  }
  return whole;
}

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The CPU time of the slowest operation of the current input.
double g_slowest_ms = 0;

// Runs one operation, keeping its time in g_slowest_ms (also when it
// throws).
template <typename Operation>
decltype(auto) Timed(Operation operation) {
  struct Clock {
    double start = CpuMilliseconds();
    ~Clock() { g_slowest_ms = std::max(g_slowest_ms, CpuMilliseconds() - start); }
  } clock;
  return operation();
}

void CheckReplaceAndSplit(TRegExp& re, const std::u16string& subject,
                          const std::vector<Span>& spans) {
  // Without \K a match never reaches back before the last one, so the walk
  // can be checked exactly.
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].start < spans[i - 1].end) {
      return;
    }
  }
  Check(Timed([&] { return re.Replace(subject, u"$&"); }) == subject,
        "replacing each match by itself changed the text");
  std::vector<std::u16string> pieces;
  Timed([&] { re.Split(subject, pieces); });
  if (spans.empty()) {
    Check(pieces.empty(), "Split without a match gave pieces");
    return;
  }
  std::u16string joined;
  std::size_t piece = 0;
  for (const Span& span : spans) {
    if (span.end == span.start) {
      continue;
    }
    Check(piece < pieces.size(), "Split gave too few pieces");
    joined += pieces[piece++] + subject.substr(span.start, span.end - span.start);
  }
  Check(piece + 1 == pieces.size(), "Split gave a wrong number of pieces");
  joined += pieces[piece];
  Check(joined == subject, "Split's pieces and the matches do not make up the subject");
}

struct Slow {
  double ms;
  std::string line;
};

std::string ProbeRequest(const std::u16string& pattern, const std::string& letters,
                         const std::u16string& subject) {
  std::string line = "{\"pattern\":";
  tenrovel::regex_probe::AppendJsonString(line, pattern);
  line += ",\"options\":\"" + letters + "\",\"subject\":";
  tenrovel::regex_probe::AppendJsonString(line, subject);
  return line + ",\"all\":true";
}

// The lines a previous run left in `path` (each ends in "ms":N}).
std::vector<Slow> ReadSlowest(const char* path) {
  std::vector<Slow> slowest;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.rfind("\"ms\":");
    if (at != std::string::npos)
      slowest.push_back({std::strtod(line.c_str() + at + 5, nullptr), line});
  }
  return slowest;
}

void RecordTime(double ms, const std::u16string& pattern, const std::string& letters,
                const std::u16string& subject) {
  static const char* const path = std::getenv("REGEX_FUZZ_SLOWEST");
  static std::vector<Slow> slowest = path == nullptr ? std::vector<Slow>() : ReadSlowest(path);
  constexpr std::size_t kKeep = 10;
  if (path == nullptr || (slowest.size() >= kKeep && ms <= slowest.back().ms)) {
    return;
  }
  std::string line =
      ProbeRequest(pattern, letters, subject) + ",\"ms\":" + std::to_string(ms) + "}";
  slowest.push_back({ms, std::move(line)});
  std::sort(slowest.begin(), slowest.end(),
            [](const Slow& a, const Slow& b) { return a.ms > b.ms; });
  if (slowest.size() > kKeep) {
    slowest.resize(kKeep);
  }
  std::ofstream out(path, std::ios::trunc);
  for (const Slow& s : slowest) {
    out << s.line << '\n';
  }
}

// All matches with every group's span, or the error that ended the walk.
struct Outcome {
  std::vector<std::vector<int>> groups;  // per match: index, length (-1 -1 if absent)
  std::vector<Span> spans;
  std::u16string error;
  bool completed = false;
};

Outcome Walk(TRegExp& re, const std::u16string& subject) {
  Outcome outcome;
  try {
    for (bool found = re.Exec(subject); found; found = re.ExecNext()) {
      const Span span = CheckGroups(re, subject);
      if (!outcome.spans.empty()) {
        // \K may move a start back behind the last end; the search itself
        // never starts there, so only the ends must advance.
        const Span& last = outcome.spans.back();
        Check(span.end >= last.end, "ExecNext went backwards");
        Check(!(span.start == span.end && last.start == last.end && span.start == last.start),
              "ExecNext found the same empty match twice");
      }
      outcome.spans.push_back(span);
      Check(outcome.spans.size() <= subject.size() + 2, "more matches than positions");
      std::vector<int> groups;
      for (int g = 0; g <= re.GroupCount(); ++g) {
        const auto& group = re.Groups()[g];
        groups.push_back(group.Success() ? group.Index() : -1);
        groups.push_back(group.Success() ? group.Length() : -1);
      }
      outcome.groups.push_back(std::move(groups));
    }
    outcome.completed = true;
  } catch (const ERegExp& e) {
    const std::u16string& message = e.Message();
    Check(message.find(u"BUG") == std::u16string::npos, "an internal error");
    Check(message != tenrovel::regex::sFatalError, "a fatal error");
    outcome.error = message;
  }
  return outcome;
}

double SlowInputLimitMs() {
  const char* const text = std::getenv("REGEX_FUZZ_SLOW_MS");
  return text == nullptr ? kSlowInputMs : std::strtod(text, nullptr);
}

bool IsStepLimit(const Outcome& outcome) {
  return outcome.error == tenrovel::regex::sMatchStepLimit;
}

void RunOne(TRegExp& re, const std::u16string& subject) {
  tenrovel::regex::SetPrefiltersEnabled(true);
  const Outcome with = Timed([&] { return Walk(re, subject); });
  if (!with.completed && re.Compiled() == false) {
    return;  // a compile error: nothing ran
  }
  tenrovel::regex::SetPrefiltersEnabled(false);
  TRegExp plain;
  plain.SetOptions(re.Options());
  Timed([&] { plain.SetExpression(re.Expression()); });
  plain.SetOnCallout(re.OnCallout());
  plain.SetStepLimit(re.StepLimit());
  const Outcome without = Timed([&] { return Walk(plain, subject); });
  tenrovel::regex::SetPrefiltersEnabled(true);
  // The budget counts steps, and the prefilters save steps: only runs that
  // both finished (or failed alike) can be compared.
  if (!IsStepLimit(with) && !IsStepLimit(without)) {
    Check(with.error == without.error, "the prefilters change the error");
    Check(with.groups == without.groups, "the prefilters change the matches");
  }
  if (with.completed) {
    CheckReplaceAndSplit(re, subject, with.spans);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const unsigned bits = data[0] | (data[1] << 8);
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t nul = rest.find('\0');
  const std::u16string pattern = DecodeLenient(rest.substr(0, nul), kMaxPattern);
  const std::u16string subject = nul == std::string_view::npos
                                     ? std::u16string()
                                     : DecodeLenient(rest.substr(nul + 1), kMaxSubject);

  TREOptions options{};
  std::string letters;
  for (std::size_t b = 0; b < std::size(kOptionBits); ++b) {
    if (bits & (1u << b)) {
      options.Include(kOptionBits[b].option);
      letters.push_back(kOptionBits[b].letter);
    }
  }
  TRegExp re;
  // The engine's rule, with a smaller fixed part: the harness's own budget.
  re.SetStepLimit(
      std::max<std::int64_t>(kFuzzStepLimit, 64 * static_cast<std::int64_t>(subject.size())));
  re.SetOptions(options);
  g_slowest_ms = 0;
  Timed([&] { re.SetExpression(pattern); });
  // Bit 15: a callout handler that lets every callout pass, consuming
  // nothing; without it every path through a callout fails.
  if (bits & 0x8000) {
    re.SetOnCallout(
        [](TRegExp&, tenrovel::regex::PCalloutData, bool& is_match, int&) { is_match = true; });
  }
  try {
    RunOne(re, subject);
  } catch (const ERegExp& e) {
    // Replace and Split may meet the step budget again; anything else is a
    // fault of the checks above.
    Check(e.Message() == tenrovel::regex::sMatchStepLimit, "an unexpected error in Replace/Split");
  }
  const double ms = g_slowest_ms;
  RecordTime(ms, pattern, letters, subject);
  static const double limit = SlowInputLimitMs();
  if (limit > 0 && ms > limit) {
    std::fprintf(stderr, "regex_fuzz: slow input: %.1f ms in one operation (limit %.0f ms): %s}\n",
                 ms, limit, ProbeRequest(pattern, letters, subject).c_str());
    std::abort();
  }
  return 0;
}
