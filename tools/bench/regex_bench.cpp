// The regex engine side by side with PCRE2 (16-bit, UTF + UCP, interpreter
// and JIT) on the same subjects in the same run: per pattern the time to find
// every match, the ratios and their geometric means, printed as a Markdown
// table on standard output (Google Benchmark's own lines go to standard
// error). Then the peak heap memory of one long match. Without PCRE2 (it is
// optional: libpcre2-dev, found through pkg-config) only our times.
//
//   tools/bench/run_regex_bench.sh
//   build/native-release/tools/bench/regex_bench [--benchmark_filter=REGEX]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "heap_counter.h"
#include "platform/codepage.h"
#include "regex/regex_messages.h"
#include "regex/regex_prefilter.h"
#include "regex/regexp.h"
#include "regex_bench_subjects.h"
#include "regex_bench_table.h"
#include "text/width_forms.h"

#ifdef TENROVEL_BENCH_PCRE2
#include "regex_bench_pcre2.h"
#endif

namespace {

using namespace tenrovel;
using namespace std::string_literals;
using namespace std::string_view_literals;
using bench::Engine;

// The same seed for everyone: the subjects are the same code units.
constexpr std::uint64_t kSeed = 15;
constexpr std::size_t kTextBytes = 10 * 1024 * 1024;
constexpr std::size_t kListBytes = 1024 * 1024;
constexpr std::size_t kPostalBytes = 20 * 1024;
constexpr std::size_t kRunOfA = 20'000;
constexpr std::size_t kRunOfX = 30;
constexpr std::size_t kAbUnits = 10 * 1024 * 1024;

enum class Subject { kText, kList, kPostal, kRunOfA, kRunOfX };

const std::u16string& SubjectText(Subject subject) {
  static const std::u16string text = bench::MixedText(kTextBytes, kSeed);
  static const std::u16string list = bench::SmbcListAnswer(kListBytes, kSeed);
  static const std::u16string postal = bench::PostalAnswer(kPostalBytes, kSeed);
  static const std::u16string run_of_a(kRunOfA, u'a');
  static const std::u16string run_of_x(kRunOfX, u'x');
  switch (subject) {
    case Subject::kText:
      return text;
    case Subject::kList:
      return list;
    case Subject::kPostal:
      return postal;
    case Subject::kRunOfA:
      return run_of_a;
    case Subject::kRunOfX:
      break;
  }
  return run_of_x;
}

std::string SubjectName(Subject subject) {
  switch (subject) {
    case Subject::kText:
      return "text 10 MB";
    case Subject::kList:
      return "SMBC list 1 MB";
    case Subject::kPostal:
      return "postal 20 KB";
    case Subject::kRunOfA:
      return "20,000 \"a\"";
    case Subject::kRunOfX:
      break;
  }
  return "30 \"x\"";
}

// The full-width katakana `literal` as PCRE2 reads it under our IgnoreWidth
// and IgnoreKana: each character a choice of its katakana, hiragana and
// half-width forms (from the width tables the engine folds by). A half-width
// base before a mark it composes with is part of another letter, so it
// stands for itself only where no such mark follows.
std::u16string WidthKanaForms(std::u16string_view literal) {
  std::u16string out;
  for (const char16_t c : literal) {
    std::u16string single{c};
    if (c >= 0x30A1 && c <= 0x30F6)
      single += static_cast<char16_t>(c - 0x60);
    std::u16string pairs;
    const text::HalfWidthKanaForm half = text::HalfWidthKana(c);
    if (half.base != 0 && half.mark != 0) {
      pairs = std::u16string{u'|', half.base, half.mark};
    } else if (half.base != 0) {
      std::u16string marks;
      for (const char16_t mark : {text::kHalfWidthVoicedMark, text::kHalfWidthSemiVoicedMark}) {
        if (text::ComposeHalfWidthKana(half.base, mark) != 0)
          marks += mark;
      }
      if (marks.empty())
        single += half.base;
      else
        pairs = u"|"s + half.base + u"(?![" + marks + u"])";
    }
    out += pairs.empty() ? u"[" + single + u"]" : u"(?:[" + single + u"]" + pairs + u")";
  }
  return out;
}

struct Case {
  std::u16string pattern;
  // Our option letters: i m s x n as PCRE2 has them, w k for IgnoreWidth
  // and IgnoreKana.
  std::string letters;
  Subject subject;
  // What PCRE2 gets when it cannot read our pattern as we do (empty: the
  // same pattern).
  std::u16string pcre2_pattern;
  // False: our prefilters and PCRE2's start-of-match optimizations are off,
  // so that both engines try every start and show their backtracking
  // rather than finding at once that the subject lacks a required letter.
  bool start_optimized = true;
};

std::vector<Case> Cases() {
  const std::u16string width_kana_literal = u"ギンコウ";
  return {
      {u"[\\w.+-]+@[\\w.-]+\\.[\\w.-]+", "", Subject::kText, {}},
      {u"[\\w]+://[^/\\s?#]+[^\\s?#]+(?:\\?[^\\s#]*)?(?:#[^\\s]*)?", "", Subject::kText, {}},
      {u"(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
       u"(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)",
       "",
       Subject::kText,
       {}},
      {u"language", "", Subject::kText, {}},
      {u"language", "i", Subject::kText, {}},
      {u"river|mountain|station|window|apple", "", Subject::kText, {}},
      {u"\\b\\w+ing\\b", "", Subject::kText, {}},
      {u"国立公園", "", Subject::kText, {}},
      {u"[ぁ-ん]+", "", Subject::kText, {}},
      // PCRE2 takes \p{Han} by the characters' script extensions, which
      // add 、 。 「 」 and more; sc: asks for the script alone, as we do.
      {u"\\p{Han}+", "", Subject::kText, u"\\p{sc:Han}+"},
      {u"[\\p{Katakana}ー]+", "", Subject::kText, u"[\\p{sc:Katakana}ー]+"},
      {width_kana_literal, "wk", Subject::kText, WidthKanaForms(width_kana_literal)},
      {u"(\\w+)\\s+\\1", "", Subject::kText, {}},
      // Our engine takes no quantifier inside a lookbehind: \d{3} is
      // written out, for both engines.
      {u"(?<=\\d\\d\\d)-\\d{4}", "", Subject::kText, {}},
      {u"^.*$", "m", Subject::kText, {}},
      {u"Finf%2F(.*?)%2F", "i", Subject::kList, {}},
      {u"<ZipCode Old=(.*?)</ZipCode>", "i", Subject::kPostal, {}},
      {u"(a*)*b", "", Subject::kRunOfA, {}},
      {u"(?:a|aa)+b", "", Subject::kRunOfA, {}},
      {u"(x+x+)+y", "", Subject::kRunOfX, {}},
      {u"(a*)*b", "", Subject::kRunOfA, {}, false},
      {u"(?:a|aa)+b", "", Subject::kRunOfA, {}, false},
      {u"(x+x+)+y", "", Subject::kRunOfX, {}, false},
  };
}

regex::TREOptions OurOptions(const std::string& letters) {
  regex::TREOptions options;
  for (const char letter : letters) {
    switch (letter) {
      case 'i':
        options.Include(regex::roIgnoreCase);
        break;
      case 'm':
        options.Include(regex::roMultiLine);
        break;
      case 's':
        options.Include(regex::roSingleLine);
        break;
      case 'x':
        options.Include(regex::roExtended);
        break;
      case 'n':
        options.Include(regex::roNamedGroupOnly);
        break;
      case 'w':
        options.Include(regex::roIgnoreWidth);
        break;
      case 'k':
        options.Include(regex::roIgnoreKana);
        break;
      default:
        break;
    }
  }
  return options;
}

std::size_t CountOurs(regex::TRegExp& re) {
  std::size_t matches = 0;
  for (bool found = re.ExecPos(1); found; found = re.ExecNext())
    ++matches;
  return matches;
}

std::string OurError(const regex::ERegExp& e) {
  return e.Message() == regex::sMatchStepLimit ? "budget" : e.what();
}

// Our prefilters on or off for one run (a global switch of the engine).
class PrefilterSwitch {
 public:
  explicit PrefilterSwitch(bool on) { regex::SetPrefiltersEnabled(on); }
  ~PrefilterSwitch() { regex::SetPrefiltersEnabled(true); }
  PrefilterSwitch(const PrefilterSwitch&) = delete;
  PrefilterSwitch& operator=(const PrefilterSwitch&) = delete;
};

void RunOurs(benchmark::State& state, const Case& c) {
  regex::TRegExp re;
  std::size_t matches = 0;
  try {
    re.SetOptions(OurOptions(c.letters));
    re.SetExpression(c.pattern);
    re.Compile();
    // ExecPos starts afresh (memo and prefilter results) on every call:
    // each iteration is a new search of the same text.
    re.SetInputString(SubjectText(c.subject));
    const PrefilterSwitch prefilters(c.start_optimized);
    for (auto _ : state)
      matches = CountOurs(re);
  } catch (const regex::ERegExp& e) {
    state.SkipWithError(OurError(e).c_str());
    return;
  }
  state.counters["matches"] = static_cast<double>(matches);
}

#ifdef TENROVEL_BENCH_PCRE2
void RunPcre2(benchmark::State& state, const Case& c, bench::Pcre2Mode mode) {
  bench::Pcre2Matcher matcher(c.pcre2_pattern.empty() ? c.pattern : c.pcre2_pattern,
                              c.letters == "wk" ? "" : c.letters, mode, c.start_optimized);
  if (!matcher.CompileError().empty()) {
    state.SkipWithError(matcher.CompileError().c_str());
    return;
  }
  const std::u16string& subject = SubjectText(c.subject);
  bench::Pcre2Count count;
  for (auto _ : state) {
    count = matcher.CountAll(subject);
    if (!count.error.empty()) {
      state.SkipWithError(count.error.c_str());
      break;
    }
  }
  state.counters["matches"] = static_cast<double>(count.matches);
}
constexpr bool kWithPcre2 = true;
#else
constexpr bool kWithPcre2 = false;
#endif

// Google Benchmark's console output, and every run kept by name for the
// table.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      bench::EngineResult result;
      if (run.error_occurred) {
        result.error = run.error_message;
      } else {
        result.ms = run.GetAdjustedCPUTime();
        const auto matches = run.counters.find("matches");
        if (matches != run.counters.end())
          result.matches = matches->second.value;
      }
      results_[run.benchmark_name()] = result;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, bench::EngineResult>& Results() const { return results_; }

 private:
  std::map<std::string, bench::EngineResult> results_;
};

std::string RunName(std::size_t index, Engine engine) {
  static constexpr const char* kNames[] = {"ours", "pcre2_interp", "pcre2_jit"};
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02zu", index + 1);
  return std::string(buffer) + "/" + kNames[static_cast<std::size_t>(engine)];
}

void Register(const std::vector<Case>& cases) {
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    benchmark::RegisterBenchmark(RunName(k, Engine::kOurs).c_str(), RunOurs, c)
        ->Unit(benchmark::kMillisecond);
#ifdef TENROVEL_BENCH_PCRE2
    benchmark::RegisterBenchmark(RunName(k, Engine::kInterpreter).c_str(), RunPcre2, c,
                                 bench::Pcre2Mode::kInterpreter)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(RunName(k, Engine::kJit).c_str(), RunPcre2, c,
                                 bench::Pcre2Mode::kJit)
        ->Unit(benchmark::kMillisecond);
#endif
  }
}

std::vector<bench::TableRow> Rows(const std::vector<Case>& cases,
                                  const std::map<std::string, bench::EngineResult>& results) {
  std::vector<bench::TableRow> rows;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    bench::TableRow row;
    row.pattern = platform::Utf16ToUtf8(c.pattern);
    row.options = c.letters == "wk" ? "IgnoreWidth, IgnoreKana" : c.letters;
    if (!c.start_optimized)
      row.options += "start optimizations off";
    row.subject = SubjectName(c.subject);
    row.pcre2_pattern = platform::Utf16ToUtf8(c.pcre2_pattern);
    bool any = false;
    for (const Engine engine : {Engine::kOurs, Engine::kInterpreter, Engine::kJit}) {
      const auto found = results.find(RunName(k, engine));
      if (found != results.end()) {
        row.results[static_cast<std::size_t>(engine)] = found->second;
        any = true;
      }
    }
    if (any)
      rows.push_back(std::move(row));
  }
  return rows;
}

// FNV-1a (64 bits) of the code units: equal sums mean equal subjects, so
// figures from two machines can be compared.
std::uint64_t Checksum(std::u16string_view text) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const char16_t unit : text) {
    for (const int shift : {0, 8}) {
      hash ^= (unit >> shift) & 0xFF;
      hash *= 0x100000001B3ull;
    }
  }
  return hash;
}

void PrintSubjects() {
  std::printf(
      "\nSubjects, generated from seed %llu (FNV-1a of the UTF-16 code units: equal sums, equal "
      "subjects):\n\n",
      static_cast<unsigned long long>(kSeed));
  for (const Subject subject :
       {Subject::kText, Subject::kList, Subject::kPostal, Subject::kRunOfA, Subject::kRunOfX}) {
    const std::u16string& text = SubjectText(subject);
    std::printf("- %s: %zu code units (%zu bytes of UTF-8), %016llx\n",
                SubjectName(subject).c_str(), text.size(), bench::Utf8Length(text),
                static_cast<unsigned long long>(Checksum(text)));
  }
}

// The peak heap of one walk of `(?:a|b)*c` over a long run of "ab", above
// what was in use before it (the subject's copy in the object is not
// counted). As given the search sees at once that no "c" is there; with the
// prefilters off it tries every start, and with a final "c" the one match
// runs over the whole subject, keeping every iteration's alternatives.
void PrintPeakMemory() {
  struct Variant {
    const char* name;
    bool prefilters;
    bool final_c;
  };
  std::u16string subject;
  subject.reserve(kAbUnits + 1);
  while (subject.size() < kAbUnits)
    subject += u"ab"sv;
  std::printf(
      "\nPeak heap of `(?:a|b)*c` over %zu code units of \"ab\" (%.0f MB as UTF-16), "
      "above the subject (a counting allocator: every operator new of the process):\n\n",
      kAbUnits, static_cast<double>(kAbUnits * 2) / (1024.0 * 1024.0));
  for (const Variant variant :
       {Variant{"as given", true, false}, Variant{"prefilters off", false, false},
        Variant{"with a final \"c\"", true, true}}) {
    if (variant.final_c)
      subject += u'c';
    regex::TRegExp re;
    re.SetExpression(u"(?:a|b)*c");
    re.SetInputString(subject);
    const PrefilterSwitch prefilters(variant.prefilters);
    const std::size_t base = bench::HeapInUse();
    bench::ResetHeapPeak();
    const auto start = std::chrono::steady_clock::now();
    std::string outcome;
    try {
      const std::size_t matches = CountOurs(re);
      outcome = std::to_string(matches) + (matches == 1 ? " match" : " matches");
    } catch (const regex::ERegExp& e) {
      outcome = OurError(e);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double peak_mb = static_cast<double>(bench::HeapPeak() - base) / (1024.0 * 1024.0);
    std::printf("- %s: %.1f MB (%s, %.0f ms)\n", variant.name, peak_mb, outcome.c_str(), ms);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  const std::vector<Case> cases = Cases();
  Register(cases);
  CollectingReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::fputs(bench::MarkdownTable(Rows(cases, reporter.Results()), kWithPcre2).c_str(), stdout);
  PrintSubjects();
  PrintPeakMemory();
  benchmark::Shutdown();
  return 0;
}
