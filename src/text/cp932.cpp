#include "text/cp932.h"

#include "text/ascii_case.h"

namespace tenrovel::text {

namespace {

template <bool kIgnoreCase>
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view needle) {
  if (text.size() - pos < needle.size())
    return false;
  for (std::size_t k = 0; k < needle.size(); ++k) {
    const char a = text[pos + k], b = needle[k];
    if (kIgnoreCase ? AsciiLower(a) != AsciiLower(b) : a != b)
      return false;
  }
  return true;
}

template <bool kIgnoreCase>
std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty())
    return std::string_view::npos;
  for (std::size_t i = from; i < text.size(); i += CharLengthAt(text, i)) {
    if (MatchesAt<kIgnoreCase>(text, i, needle))
      return i;
  }
  return std::string_view::npos;
}

template <bool kIgnoreCase>
std::string Replace(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = Find<kIgnoreCase>(text, from, pos);
    if (hit == std::string_view::npos)
      break;
    out.append(text, pos, hit - pos);
    out += to;
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from) {
  return Find<false>(text, needle, from);
}

std::size_t FindTextIgnoreCase(std::string_view text, std::string_view needle, std::size_t from) {
  return Find<true>(text, needle, from);
}

bool ContainsText(std::string_view text, std::string_view needle) {
  return FindText(text, needle) != std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  return Replace<false>(text, from, to);
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to) {
  return Replace<true>(text, from, to);
}

std::string RemoveAll(std::string_view text, std::string_view what) {
  return ReplaceAll(text, what, {});
}

std::string_view TrimView(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
    ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
    --last;
  return text.substr(first, last - first);
}

std::string Trim(std::string_view text) {
  return std::string(TrimView(text));
}

Line LineAt(std::string_view text, std::size_t pos) {
  // CR and LF are never trail bytes, so a byte search finds every line end.
  const std::size_t stop = text.find_first_of("\r\n", pos);
  if (stop == std::string_view::npos)
    return {text.substr(pos), text.size()};
  std::size_t next = stop + 1;
  if (text[stop] == '\r' && next < text.size() && text[next] == '\n')
    ++next;
  return {text.substr(pos, stop - pos), next};
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const Line line = LineAt(text, pos);
    lines.emplace_back(line.content);
    pos = line.next;
  }
  return lines;
}

}  // namespace tenrovel::text
