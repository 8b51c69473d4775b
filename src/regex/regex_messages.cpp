#include "regex/regex_messages.h"

#include <algorithm>

namespace tenrovel::regex {

std::u16string FormatMessage(std::u16string_view message, std::u16string_view argument) {
  std::u16string out(message);
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i] == u'%' && (out[i + 1] == u's' || out[i + 1] == u'd')) {
      out.replace(i, 2, argument);
      break;
    }
  }
  return out;
}

std::u16string FormatMessage(std::u16string_view message, int argument) {
  std::u16string number;
  const std::string digits = std::to_string(argument);
  number.assign(digits.begin(), digits.end());
  return FormatMessage(message, number);
}

std::u16string CompileErrorText(std::u16string_view message, std::u16string_view pattern,
                                int error_position) {
  const auto cut =
      static_cast<std::size_t>(std::clamp(error_position, 0, static_cast<int>(pattern.size())));
  std::u16string out(message);
  out += u"; ";
  out += pattern.substr(0, cut);
  out += u" <-- ";
  out += pattern.substr(cut);
  return out;
}

}  // namespace tenrovel::regex
