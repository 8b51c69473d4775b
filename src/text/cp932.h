// Primitives over CP932 text (bytes in std::string), shared by every layer.
// Searches are character-wise: a match never begins on the trail byte of a
// double-byte character. Positions are 0-based byte offsets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::text {

// Lead bytes of CP932: 0x81-0x9F and 0xE0-0xFC (the user-defined area
// F040-F9FC and the IBM extensions FA40-FC4B included).
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsLeadByte(char c) {
  return IsLeadByte(static_cast<unsigned char>(c));
}

// Trail bytes of CP932: 0x40-0x7E and 0x80-0xFC. Control characters, the
// space, the digits and the ASCII punctuation below 0x40 ('"', ',', '<',
// '>' among them) never are.
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The byte length of the character at `pos`: 2 for a lead byte followed by
// a trail byte, else 1. A lead byte before any other byte is a character of
// its own, as the code page's decoder reads it, so that the quote or comma
// after it is always seen. Every character-wise walk over CP932 text steps
// by this.
constexpr std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  return IsLeadByte(text[pos]) && pos + 1 < text.size() &&
                 IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
             ? 2
             : 1;
}

// The first occurrence of `needle` at or after `from` (a character
// boundary), or npos. An empty needle is never found.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0);
// As FindText, with ASCII letters compared without regard to case.
std::size_t FindTextIgnoreCase(std::string_view text, std::string_view needle,
                               std::size_t from = 0);
bool ContainsText(std::string_view text, std::string_view needle);

// Replaces every occurrence, left to right, without rescanning what was put in.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// As ReplaceAll, with ASCII letters compared without regard to case.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);
std::string RemoveAll(std::string_view text, std::string_view what);

// Removes leading and trailing spaces and control characters (bytes up to 0x20).
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

// A line ends at CR, LF or CR LF; a line end at the very end of a text adds
// no empty line after it.
struct Line {
  std::string_view content;  // without its line end
  std::size_t next;          // where the next line begins (after the line end)
};
// The line that begins at `pos`, which must be below the text's size.
Line LineAt(std::string_view text, std::size_t pos);
// Every line of a file's text, as views of it.
std::vector<std::string_view> SplitLines(std::string_view text);

// Whether `text` begins with `prefix`, byte for byte.
constexpr bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace tenrovel::text
