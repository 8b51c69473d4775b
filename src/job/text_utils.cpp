#include "job/text_utils.h"

#include <array>
#include <utility>

#include "platform/codepage.h"
#include "text/cp932.h"

namespace tenrovel::job {

std::string StripTags(std::string_view text) {
  // No trail byte of CP932 equals "<" or ">", so a byte search is safe.
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = text.find('<', pos);
    if (open == std::string_view::npos)
      break;
    const std::size_t close = text.find('>', open + 1);
    if (close == std::string_view::npos)
      break;
    out.append(text, pos, open - pos);
    pos = close + 1;
  }
  out.append(text.substr(pos));
  return out;
}

void SplitText(std::string_view source, std::string_view delimiter,
               std::vector<std::string>& pieces) {
  std::size_t pos = 0;
  while (pos < source.size()) {
    const std::size_t hit = text::FindText(source, delimiter, pos);
    if (hit == std::string_view::npos) {
      pieces.emplace_back(source.substr(pos));
      return;
    }
    if (hit > pos)
      pieces.emplace_back(source.substr(pos, hit - pos));
    pos = hit + delimiter.size();
  }
}

std::string NormalizeNumerals(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kReplacements{{
      {"\x81\x40", " "},  // ideographic space
      {"\x81\x7C", "-"},  // full-width hyphen-minus
      {"\x81\x5C", "-"},  // horizontal bar
      {"\x82\x50", "1"},
      {"\x82\x51", "2"},
      {"\x82\x52", "3"},
      {"\x82\x53", "4"},
      {"\x82\x54", "5"},
      {"\x82\x55", "6"},
      {"\x82\x56", "7"},
      {"\x82\x57", "8"},
      {"\x82\x58", "9"},
      {"\x82\x4F", "0"},
  }};
  std::string out(text);
  for (const auto& [from, to] : kReplacements)
    out = text::ReplaceAll(out, from, to);
  return out;
}

std::string ToFullWidth(std::string_view text) {
  std::string out = platform::Cp932ToFullWidth(text);
  // The mapped text ends at its first NUL, as a NUL-terminated buffer would.
  if (const std::size_t nul = out.find('\0'); nul != std::string::npos)
    out.resize(nul);
  return out;
}

}  // namespace tenrovel::job
