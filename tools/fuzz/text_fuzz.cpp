// The CP932 text routines, checked against a walk of their own: finds land on
// character boundaries and nowhere else is there a match, replacements change
// the size by what they replace, trimming and line splitting keep the text,
// and the job's text utilities leave no full-width digit and no empty piece.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "job/text_utils.h"
#include "text/cp932.h"

using namespace tenrovel;

namespace {

// Character starts of `text`, walked independently of the text layer.
std::vector<bool> Boundaries(std::string_view t) {
  std::vector<bool> starts(t.size() + 1, false);
  for (std::size_t i = 0; i < t.size();) {
    starts[i] = true;
    const bool pair = fuzz::IsCp932Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() &&
                      fuzz::IsCp932Trail(static_cast<unsigned char>(t[i + 1]));
    i += pair ? 2 : 1;
  }
  starts[t.size()] = true;
  return starts;
}

// Non-overlapping matches, left to right, at character starts.
std::size_t CountMatches(std::string_view t, std::string_view needle) {
  const std::vector<bool> starts = Boundaries(t);
  std::size_t count = 0;
  for (std::size_t i = 0; i < t.size();) {
    if (starts[i] && t.substr(i, needle.size()) == needle) {
      ++count;
      i += needle.size();
    } else {
      ++i;
    }
  }
  return count;
}

void CheckFind(std::string_view t, std::string_view needle) {
  const std::size_t found = text::FindText(t, needle);
  const std::vector<bool> starts = Boundaries(t);
  for (std::size_t i = 0; i < t.size() && i < found; ++i)
    FUZZ_CHECK(!(starts[i] && !needle.empty() && t.substr(i, needle.size()) == needle));
  if (found != std::string_view::npos) {
    FUZZ_CHECK(starts[found] && t.substr(found, needle.size()) == needle);
    FUZZ_CHECK(text::ContainsText(t, needle));
  }
  if (!needle.empty()) {
    const std::string replaced = text::ReplaceAll(t, needle, "<>");
    FUZZ_CHECK(replaced.size() + CountMatches(t, needle) * needle.size() ==
               t.size() + CountMatches(t, needle) * 2);
  }
}

void CheckTrimAndLines(std::string_view t) {
  const std::string_view trimmed = text::TrimView(t);
  FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 0x20 &&
                                 static_cast<unsigned char>(trimmed.back()) > 0x20));
  FUZZ_CHECK(t.find(trimmed) != std::string_view::npos);

  // The lines, joined by LF, are the text with its line ends made LF and
  // without one at the very end.
  std::string expected;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r') {
      expected += '\n';
      if (i + 1 < t.size() && t[i + 1] == '\n')
        ++i;
    } else {
      expected += t[i];
    }
  }
  if (!expected.empty() && expected.back() == '\n')
    expected.pop_back();
  std::string joined;
  const auto lines = text::SplitLines(t);
  for (std::size_t i = 0; i < lines.size(); ++i)
    joined += (i > 0 ? "\n" : "") + std::string(lines[i]);
  FUZZ_CHECK(joined == expected);
}

void CheckJobUtilities(std::string_view t, std::string_view delimiter) {
  FUZZ_CHECK(job::StripTags(t).size() <= t.size());
  const std::string normal = job::NormalizeNumerals(t);
  for (const std::string_view full : {"\x81\x40", "\x81\x7C", "\x81\x5C", "\x82\x4F", "\x82\x58"})
    FUZZ_CHECK(CountMatches(normal, full) == 0);
  std::vector<std::string> pieces;
  job::SplitText(t, delimiter, pieces);
  for (const std::string& piece : pieces)
    FUZZ_CHECK(!piece.empty());
}

}  // namespace

// Input: a needle of up to 4 bytes (its length in the first byte), then the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.empty())
    return 0;
  const std::size_t needle_size = std::min<std::size_t>(data[0] % 5, input.size() - 1);
  const std::string_view needle = input.substr(1, needle_size);
  const std::string_view t = input.substr(1 + needle_size);
  CheckFind(t, needle);
  CheckTrimAndLines(t);
  CheckJobUtilities(t, needle);
  return 0;
}
