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

// Whether a section, key and value can be written as one "Key=Value" line
// under one "[Section]" line: none of them may hold a line break (CR or LF)
// or a NUL, which would end the line early and let the value add lines and
// sections of its own.
bool IsWritable(std::string_view section, std::string_view key, std::string_view value);

// How `value` is written after "Key=" so that FindValue (and Windows'
// reading) gives it back unchanged: in double quotes when reading would
// otherwise trim blanks from its ends or take off a pair of enclosing quotes.
std::string WrittenValue(std::string_view value);

// The text with `key` in `section` set to `value` (as WrittenValue gives it):
// an existing line is
// replaced, a new key goes after the last line of its section, a new section
// goes at the end. Every other byte of the text stays as it was; new lines
// end with CR LF. nullopt, and nothing changed, when !IsWritable.
std::optional<std::string> SetValue(std::string_view text, std::string_view section,
                                    std::string_view key, std::string_view value);

// GetPrivateProfileInt's reading of a value: an optional sign and the
// leading decimal digits; 0 when there are none. Values beyond the range
// of int give its limit on that side.
int ParseLeadingInt(std::string_view value);

}  // namespace tenrovel::platform::ini
