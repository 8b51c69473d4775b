// Reading the counts that the banks' answers give as text.
#pragma once

#include <optional>
#include <string_view>

namespace tenrovel::sources {

// A whole decimal integer with an optional sign ("+12", "-3", "57");
// nullopt for anything else, blanks included. A count beyond the range of
// int gives its limit on that side, so that a huge count stays huge.
std::optional<int> ParseInteger(std::string_view text);

}  // namespace tenrovel::sources
