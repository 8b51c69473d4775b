// The program's one ASCII case fold. Where names are compared without regard
// to case (INI sections and keys, file extensions, HTML tags, prefecture
// codes, Unicode property names), only A-Z fold to a-z: every other byte or
// code unit, CP932 lead and trail bytes included, compares as it is.
#pragma once

#include <string_view>
#include <type_traits>

namespace tenrovel::text {

// 'A'..'Z' become 'a'..'z'; any other value stays. For char, char8_t and
// char16_t alike.
template <typename Char>
constexpr Char AsciiLower(Char c) {
  return c >= Char{'A'} && c <= Char{'Z'} ? static_cast<Char>(c - Char{'A'} + Char{'a'}) : c;
}

// Whether two names are equal but for the case of ASCII letters. The first
// argument decides the kind of string (string_view, u8string_view, ...).
template <typename Char>
constexpr bool EqualsIgnoreAsciiCase(std::basic_string_view<Char> a,
                                     std::type_identity_t<std::basic_string_view<Char>> b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

}  // namespace tenrovel::text
