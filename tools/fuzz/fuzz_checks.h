// What the harnesses check, written independently of the code under test:
// an ordinary CSV reader (RFC 4180, byte by byte, as a spreadsheet reads a
// file) and the CP932 byte classes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::fuzz {

// Aborts with the failed condition on standard error, which libFuzzer takes
// for a finding.
inline void CheckAt(bool condition, const char* what, const char* file, int line) {
  if (condition)
    return;
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  std::abort();
}
#define FUZZ_CHECK(condition) ::tenrovel::fuzz::CheckAt((condition), #condition, __FILE__, __LINE__)

inline bool IsCp932Lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool IsCp932Trail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Aborts when a lead byte is not followed by a trail byte.
inline void CheckWholeCharacters(std::string_view cp932) {
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    if (!IsCp932Lead(static_cast<unsigned char>(cp932[i])))
      continue;
    FUZZ_CHECK(i + 1 < cp932.size() && IsCp932Trail(static_cast<unsigned char>(cp932[i + 1])));
    ++i;
  }
}

// The fields of one CSV record (the text holds no record end outside
// quotes); nullopt when the text is not one well-formed record: a quote
// inside an unquoted field, bytes after a closing quote, an unclosed quote,
// a line end outside quotes.
inline std::optional<std::vector<std::string>> ReadCsvRecord(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  for (;;) {
    std::string field;
    if (i < text.size() && text[i] == '"') {
      for (++i;; ++i) {
        if (i >= text.size())
          return std::nullopt;
        if (text[i] != '"') {
          field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      if (i < text.size() && text[i] != ',')
        return std::nullopt;
    } else {
      for (; i < text.size() && text[i] != ','; ++i) {
        if (text[i] == '"' || text[i] == '\r' || text[i] == '\n')
          return std::nullopt;
        field += text[i];
      }
    }
    fields.push_back(std::move(field));
    if (i >= text.size())
      return fields;
    ++i;  // the comma
  }
}

// Cuts fuzz input into fields at a byte that the input itself chooses (its
// first byte), so that every other byte value can occur inside fields.
inline std::vector<std::string> CutFields(std::string_view input) {
  std::vector<std::string> fields;
  if (input.empty())
    return fields;
  const char separator = input.front();
  input.remove_prefix(1);
  for (;;) {
    const std::size_t cut = input.find(separator);
    fields.emplace_back(input.substr(0, cut));
    if (cut == std::string_view::npos)
      return fields;
    input.remove_prefix(cut + 1);
  }
}

}  // namespace tenrovel::fuzz
