#include "sources/decimal.h"

#include <charconv>
#include <climits>

namespace tenrovel::sources {

std::optional<int> ParseInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size() || text.empty())
    return std::nullopt;
  if (error == std::errc::result_out_of_range)
    return text.front() == '-' ? INT_MIN : INT_MAX;
  if (error != std::errc())
    return std::nullopt;
  return value;
}

}  // namespace tenrovel::sources
