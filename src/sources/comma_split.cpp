#include "sources/comma_split.h"

#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

// A quoted item starting at the quote at `pos`; returns the position after
// the closing quote (or the end).
std::size_t ReadQuoted(std::string_view text, std::size_t pos, std::string& item) {
  std::size_t i = pos + 1;
  while (i < text.size()) {
    if (text[i] == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        item += '"';
        i += 2;
        continue;
      }
      return i + 1;
    }
    const std::size_t len = text::CharLengthAt(text, i);
    item.append(text, i, len);
    i += len;
  }
  if (!item.empty())
    item.pop_back();  // unclosed: the rest less its last byte
  return i;
}

std::size_t ReadQuotedJson(std::string_view text, std::size_t pos, std::string& item) {
  std::size_t i = pos + 1;
  while (i < text.size()) {
    if (text[i] == '"')
      return i + 1;
    std::size_t len = text::CharLengthAt(text, i);
    if (text[i] == '\\' && i + 1 < text.size())
      len = 1 + text::CharLengthAt(text, i + 1);
    item.append(text, i, len);
    i += len;
  }
  if (!item.empty())
    item.pop_back();
  return i;
}

// An unquoted item from `pos` up to the next comma; in JSON mode commas
// inside string literals do not count.
std::size_t ReadPlain(std::string_view text, std::size_t pos, bool json, std::string& item) {
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
  item.assign(text, pos, i - pos);
  return i;
}

}  // namespace

std::vector<std::string> CommaSplit(std::string_view text, bool follow_json_strings) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string item;
    if (text[pos] == '"') {
      pos = follow_json_strings ? ReadQuotedJson(text, pos, item) : ReadQuoted(text, pos, item);
    } else {
      pos = ReadPlain(text, pos, follow_json_strings, item);
    }
    items.push_back(std::move(item));
    if (pos < text.size() && text[pos] == ',') {
      ++pos;
      if (pos == text.size())
        items.emplace_back();
    }
  }
  return items;
}

}  // namespace tenrovel::sources
