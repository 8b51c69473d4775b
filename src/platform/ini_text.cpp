#include "platform/ini_text.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "text/ascii_case.h"
#include "text/cp932.h"

namespace tenrovel::platform::ini {

namespace {

constexpr std::string_view kSpaces = " \t";

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kSpaces);
  if (first == std::string_view::npos)
    return {};
  const std::size_t last = s.find_last_not_of(kSpaces);
  return s.substr(first, last - first + 1);
}

// One line of the file: its content without the line end, and where it
// starts and ends (line end included) in the text.
struct Line {
  std::string_view content;
  std::size_t begin;
  std::size_t end;
};

std::vector<Line> SplitLines(std::string_view file) {
  std::vector<Line> lines;
  for (std::size_t pos = 0; pos < file.size();) {
    const text::Line line = text::LineAt(file, pos);
    lines.push_back({line.content, pos, line.next});
    pos = line.next;
  }
  return lines;
}

// The section name of a "[name]" line, or nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = TrimBlanks(line);
  if (t.empty() || t.front() != '[')
    return std::nullopt;
  const std::size_t close = t.find(']');
  return TrimBlanks(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos)
    return std::nullopt;
  return KeyLine{TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1))};
}

// Locates a section's lines: index of the header, and one past its last line.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].content);
    if (!name || !text::EqualsIgnoreAsciiCase(*name, section))
      continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].content))
      ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionSpan span,
                                   std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const auto kv = ParseKeyLine(lines[i].content);
    if (kv && text::EqualsIgnoreAsciiCase(kv->key, key))
      return i;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  const auto span = FindSection(lines, section);
  if (!span)
    return std::nullopt;
  const auto index = FindKey(lines, *span, key);
  if (!index)
    return std::nullopt;
  std::string_view value = ParseKeyLine(lines[*index].content)->value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string WrittenValue(std::string_view value) {
  const bool blank_ends = TrimBlanks(value).size() != value.size();
  const bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
  if (!blank_ends && !enclosed)
    return std::string(value);
  return '"' + std::string(value) + '"';
}

bool IsWritable(std::string_view section, std::string_view key, std::string_view value) {
  constexpr std::string_view kLineBreaking("\r\n\0", 3);
  return section.find_first_of(kLineBreaking) == std::string_view::npos &&
         key.find_first_of(kLineBreaking) == std::string_view::npos &&
         value.find_first_of(kLineBreaking) == std::string_view::npos;
}

std::optional<std::string> SetValue(std::string_view text, std::string_view section,
                                    std::string_view key, std::string_view value) {
  if (!IsWritable(section, key, value))
    return std::nullopt;
  const std::vector<Line> lines = SplitLines(text);
  std::string key_line(key);
  key_line += '=';
  key_line += WrittenValue(value);
  const auto span = FindSection(lines, section);
  std::string out;
  if (!span) {
    out = text;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r')
      out += "\r\n";
    out += '[';
    out += section;
    out += "]\r\n";
    out += key_line;
    out += "\r\n";
    return out;
  }
  if (const auto index = FindKey(lines, *span, key)) {
    const Line& line = lines[*index];
    const std::size_t content_end = line.begin + line.content.size();
    out = text.substr(0, line.begin);
    out += key_line;
    out += text.substr(content_end);
    return out;
  }
  // After the last non-blank line of the section.
  std::size_t last = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    if (!TrimBlanks(lines[i].content).empty())
      last = i;
  }
  const Line& after = lines[last];
  out = text.substr(0, after.end);
  if (after.end == after.begin + after.content.size())
    out += "\r\n";  // last line had no end
  out += key_line;
  out += "\r\n";
  out += text.substr(after.end);
  return out;
}

int ParseLeadingInt(std::string_view value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+'))
    negative = value[i++] == '-';
  // Saturates rather than overflows; the negative side reaches one further.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long n = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    n = std::min(n * 10 + (value[i] - '0'), limit);
  return static_cast<int>(negative ? -n : n);
}

}  // namespace tenrovel::platform::ini
