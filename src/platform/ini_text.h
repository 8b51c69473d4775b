// Reading and editing the text of an INI file the way Windows' private-profile
// functions do. Used by the POSIX backend of platform/ini_file.h; kept
// separate so that its rules are tested on every system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tenrovel::platform::ini {

// The value of `key` in `section`, trimmed, with one pair of enclosing quotes
// removed; nullopt when the section or key is absent. Names match without
// regard to ASCII case; the first matching section and key count.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The text with `key` in `section` set to `value`: an existing line is
// replaced, a new key goes after the last line of its section, a new section
// goes at the end. Every other byte of the text stays as it was; new lines
// end with CR LF.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

// GetPrivateProfileInt's reading of a value: an optional sign and the
// leading decimal digits; 0 when there are none.
int ParseLeadingInt(std::string_view value);

}  // namespace tenrovel::platform::ini
