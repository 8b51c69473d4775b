#include "sources/comma_split.h"

#include <algorithm>

#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

// One item: where it lies in the text, and where scanning resumes.
struct Cut {
  std::size_t begin;
  std::size_t size;
  std::size_t next;
};

// A quoted item starting at the quote at `pos`. Its doubled quotes are made
// single in place, moving the bytes after them forward inside the item.
Cut ReadQuoted(std::string& text, std::size_t pos) {
  const std::size_t begin = pos + 1;
  std::size_t out = begin;
  std::size_t i = begin;
  while (i < text.size()) {
    if (text[i] == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        text[out++] = '"';
        i += 2;
        continue;
      }
      return {begin, out - begin, i + 1};
    }
    const std::size_t len = text::CharLengthAt(text, i);
    for (std::size_t k = 0; k < len; ++k)
      text[out++] = text[i + k];
    i += len;
  }
  // Unclosed: the rest less its last byte.
  return {begin, out > begin ? out - begin - 1 : 0, i};
}

Cut ReadQuotedJson(std::string_view text, std::size_t pos) {
  const std::size_t begin = pos + 1;
  std::size_t i = begin;
  while (i < text.size()) {
    if (text[i] == '"')
      return {begin, i - begin, i + 1};
    std::size_t len = text::CharLengthAt(text, i);
    if (text[i] == '\\' && i + 1 < text.size())
      len = 1 + text::CharLengthAt(text, i + 1);
    i += len;
  }
  // Unclosed: the rest less its last byte (an escape may have run past it).
  const std::size_t end = std::min(i, text.size());
  return {begin, end > begin ? end - begin - 1 : 0, end};
}

// An unquoted item from `pos` up to the next comma; in JSON mode commas
// inside string literals do not count.
Cut ReadPlain(std::string_view text, std::size_t pos, bool json) {
  std::size_t i = pos;
  bool in_string = false;
  while (i < text.size() && (in_string || text[i] != ',')) {
    std::size_t len = text::CharLengthAt(text, i);
    if (json) {
      if (text[i] == '"') {
        in_string = !in_string;
      } else if (in_string && text[i] == '\\' && i + 1 < text.size()) {
        len = 1 + text::CharLengthAt(text, i + 1);
      }
    }
    i += len;
  }
  i = std::min(i, text.size());
  return {pos, i - pos, i};
}

}  // namespace

std::vector<std::string_view> CommaSplitInPlace(std::string& text, bool follow_json_strings) {
  std::vector<std::string_view> items;
  // Every item but the first follows a comma: one allocation, whatever the
  // text, and no more than the items need.
  items.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) + 1);
  const std::string_view view = text;
  std::size_t pos = 0;
  while (pos < text.size()) {
    Cut cut;
    if (text[pos] != '"') {
      cut = ReadPlain(view, pos, follow_json_strings);
    } else if (follow_json_strings) {
      cut = ReadQuotedJson(view, pos);
    } else {
      cut = ReadQuoted(text, pos);
    }
    items.push_back(view.substr(cut.begin, cut.size));
    pos = cut.next;
    if (pos < text.size() && text[pos] == ',') {
      ++pos;
      if (pos == text.size())
        items.emplace_back();
    }
  }
  return items;
}

std::vector<std::string> CommaSplit(std::string_view text, bool follow_json_strings) {
  std::string copy(text);
  const std::vector<std::string_view> views = CommaSplitInPlace(copy, follow_json_strings);
  return {views.begin(), views.end()};
}

}  // namespace tenrovel::sources
