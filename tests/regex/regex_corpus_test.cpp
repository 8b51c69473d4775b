// Runs the conformance corpus (corpus/*.txt, format in corpus/README.md)
// through TRegExp: every case with the prefilters on and again with them
// off, both must give the expected result.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "regex/regex_matcher.h"
#include "regex/regex_prefilter.h"
#include "regex/regex_utf.h"
#include "regex/regexp.h"

namespace tenrovel::regex {
namespace {

struct TCase {
  std::string Location;
  std::u16string Pattern;
  std::string Options;
  std::u16string Subject;
  std::string Expected;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// \u{H...} anywhere; in subjects also \\ \t \n \r and \*N{TEXT} (TEXT N
// times).
std::u16string Decode(const std::string& text, bool subject) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t escape = text.find('\\', i);
    const std::size_t plain_end = escape == std::string::npos ? text.size() : escape;
    out += Utf8ToUtf16(text.substr(i, plain_end - i));
    i = plain_end;
    if (i >= text.size()) {
      break;
    }
    if (text.compare(i, 3, "\\u{") == 0) {
      const std::size_t close = text.find('}', i);
      char32_t value = 0;
      for (std::size_t k = i + 3; k < close; ++k) {
        value = value * 16 + static_cast<char32_t>(HexValue(text[k]));
      }
      if (value >= 0xD800 && value <= 0xDFFF) {
        out += static_cast<char16_t>(value);
      } else {
        AppendCodePoint(out, value);
      }
      i = close + 1;
      continue;
    }
    if (subject && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '*') {
        const std::size_t open = text.find('{', i);
        const std::size_t close = text.find('}', open);
        const int count = std::stoi(text.substr(i + 2, open - i - 2));
        const std::u16string piece = Decode(text.substr(open + 1, close - open - 1), true);
        for (int k = 0; k < count; ++k) {
          out += piece;
        }
        i = close + 1;
        continue;
      }
      const char16_t simple = next == 't'    ? u'\t'
                              : next == 'n'  ? u'\n'
                              : next == 'r'  ? u'\r'
                              : next == '\\' ? u'\\'
                                             : 0;
      if (simple != 0) {
        out += simple;
        i += 2;
        continue;
      }
    }
    out += u'\\';
    ++i;
  }
  return out;
}

std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(TENROVEL_REGEX_CORPUS_DIR)) {
    if (entry.path().extension() == ".txt") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<TCase> ReadCases(const std::filesystem::path& file) {
  std::vector<TCase> cases;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
      const std::size_t tab = line.find('\t', start);
      if (tab == std::string::npos) {
        break;
      }
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    TCase c;
    c.Location = file.filename().string() + ":" + std::to_string(number);
    if (fields.size() != 4) {
      c.Expected = "<malformed line>";
      cases.push_back(c);
      continue;
    }
    c.Pattern = Decode(fields[0], false);
    c.Options = fields[1] == "-" ? "" : fields[1];
    c.Subject = Decode(fields[2], true);
    c.Expected = fields[3];
    cases.push_back(std::move(c));
  }
  return cases;
}

TREOptions ParseOptions(const std::string& letters) {
  TREOptions options;
  const std::string codes = "imsxnwkla";
  const TREOption members[] = {
      roIgnoreCase,     roMultiLine,   roSingleLine, roExtended,
      roNamedGroupOnly, roIgnoreWidth, roIgnoreKana, roDefinedCharClassLegacy,
      roAutoCallout};
  for (const char letter : letters) {
    const std::size_t index = codes.find(letter);
    if (index != std::string::npos) {
      options.Include(members[index]);
    }
  }
  return options;
}

std::string DescribeMatch(TRegExp& re) {
  std::string out;
  for (int group = 0; group <= re.GroupCount(); ++group) {
    const TGroup& g = re.Groups()[group];
    if (group > 0) {
      out += ' ';
    }
    if (g.Success()) {
      out += std::to_string(g.Index() - 1) + "-" + std::to_string(g.Index() - 1 + g.Length());
    } else {
      out += '-';
    }
  }
  if (!re.RegMark().empty()) {
    out += " mark:" + Utf16ToUtf8(re.RegMark());
  }
  return out;
}

// The outcome of one case in the corpus's notation.
std::string RunCase(const TCase& c) {
  TRegExp re;
  re.SetOptions(ParseOptions(c.Options));
  re.SetExpression(c.Pattern);
  std::string callouts;
  if (c.Options.find('c') != std::string::npos) {
    re.SetOnCallout([&callouts](TRegExp&, PCalloutData data, bool& is_match, int&) {
      callouts += (callouts.empty() ? "" : ",") + std::to_string(data->CalloutNumber) + "@" +
                  std::to_string(data->CurrentPosition);
      is_match = true;
    });
  }
  const bool all = c.Options.find('g') != std::string::npos;
  const std::int64_t limit = MatchStepLimit();
  if (c.Options.find('L') != std::string::npos) {
    SetMatchStepLimit(20'000);
  }
  std::string out;
  try {
    if (!re.Exec(c.Subject)) {
      out = "nomatch";
      if (!re.RegError().empty()) {
        out += " mark:" + Utf16ToUtf8(re.RegError());
      }
    } else {
      out = DescribeMatch(re);
      // A walk meets every position at most once and the end: more
      // matches than that means it does not move on.
      std::size_t walked = 1;
      while (all && re.ExecNext()) {
        if (++walked > c.Subject.size() + 1) {
          out += " | endless";
          break;
        }
        out += " | " + DescribeMatch(re);
      }
    }
  } catch (const ERegExpCompile& e) {
    out = "error " + Utf16ToUtf8(e.Message());
  } catch (const ERegExpRuntime& e) {
    out += (out.empty() ? "" : " | ") + std::string("runtime ") + Utf16ToUtf8(e.Message());
  }
  SetMatchStepLimit(limit);
  if (!callouts.empty()) {
    out += " callouts:" + callouts;
  }
  return out;
}

TEST(RegexCorpus, EveryCaseWithAndWithoutPrefilters) {
  const std::vector<std::filesystem::path> files = CorpusFiles();
  ASSERT_FALSE(files.empty());
  int count = 0;
  for (const auto& file : files) {
    for (const TCase& c : ReadCases(file)) {
      ++count;
      SetPrefiltersEnabled(true);
      EXPECT_EQ(RunCase(c), c.Expected) << c.Location;
      SetPrefiltersEnabled(false);
      EXPECT_EQ(RunCase(c), c.Expected) << c.Location << " (prefilters off)";
      SetPrefiltersEnabled(true);
    }
  }
  EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace tenrovel::regex
