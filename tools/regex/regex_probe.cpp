// regex-probe: the regex engine from outside, for checking it against other
// engines and for timing it.
//
//   regex-probe < requests.jsonl
//     One JSON object a line, {"pattern", "options", "subject", "all"}; one
//     JSON answer a line, flushed at once (see probe_run.h).
//   regex-probe --count --pattern P [--options LETTERS] FILE
//     Counts all matches of P in the UTF-8 file with Exec/ExecNext and prints
//     "matches: N" and "seconds: S", the time of the matching loop alone.
//
// REGEX_PROBE_STEP_LIMIT=N in the environment replaces the engine's step
// budget of one match call (tests use it to reach the run-time error fast).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "probe_json.h"
#include "probe_run.h"
#include "regex/regex_matcher.h"
#include "regex/regexp.h"

namespace {

using tenrovel::regex_probe::AnswerProbeLine;
using tenrovel::regex_probe::DecodeUtf8;
using tenrovel::regex_probe::ParseOptionLetters;

constexpr int kExitUsage = 64;
constexpr int kExitData = 65;
constexpr int kExitNoInput = 66;

int Usage() {
  std::cerr << "usage: regex-probe < requests.jsonl\n"
               "       regex-probe --count --pattern P [--options LETTERS] FILE\n";
  return kExitUsage;
}

int AnswerLines() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    std::cout << AnswerProbeLine(line) << '\n' << std::flush;
  }
  return 0;
}

int CountMatches(std::string_view pattern_utf8, std::string_view letters, const char* file) {
  std::u16string pattern;
  if (!DecodeUtf8(pattern_utf8, pattern)) {
    std::cerr << "regex-probe: the pattern is not valid UTF-8\n";
    return kExitUsage;
  }
  char bad = 0;
  const auto options = ParseOptionLetters(letters, bad);
  if (!options) {
    std::cerr << "regex-probe: unknown option letter '" << bad << "'\n";
    return kExitUsage;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "regex-probe: cannot open " << file << '\n';
    return kExitNoInput;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string subject;
  if (!DecodeUtf8(bytes, subject)) {
    std::cerr << "regex-probe: " << file << " is not valid UTF-8\n";
    return kExitData;
  }
  tenrovel::regex::TRegExp re;
  re.SetOptions(*options);
  re.SetExpression(pattern);
  long long count = 0;
  std::chrono::steady_clock::duration elapsed{};
  try {
    // Compiling is not part of the timing.
    re.Compile();
    re.SetInputString(subject);
    const auto start = std::chrono::steady_clock::now();
    for (bool found = re.ExecPos(1, 0); found; found = re.ExecNext()) {
      ++count;
    }
    elapsed = std::chrono::steady_clock::now() - start;
  } catch (const tenrovel::regex::ERegExp& e) {
    std::cerr << "regex-probe: " << e.what() << '\n';
    return kExitData;
  }
  std::cout << "matches: " << count << '\n'
            << "seconds: " << std::chrono::duration<double>(elapsed).count() << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* limit = std::getenv("REGEX_PROBE_STEP_LIMIT"); limit != nullptr) {
    tenrovel::regex::SetMatchStepLimit(std::atoll(limit));
  }
  if (argc == 1) {
    return AnswerLines();
  }
  bool count = false;
  std::string pattern;
  bool has_pattern = false;
  std::string letters;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--count") {
      count = true;
    } else if (arg == "--pattern" && i + 1 < argc) {
      pattern = argv[++i];
      has_pattern = true;
    } else if (arg == "--options" && i + 1 < argc) {
      letters = argv[++i];
    } else if (file == nullptr && !arg.starts_with("--")) {
      file = argv[i];
    } else {
      return Usage();
    }
  }
  if (!count || !has_pattern || file == nullptr) {
    return Usage();
  }
  return CountMatches(pattern, letters, file);
}
