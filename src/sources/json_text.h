// JSON string escapes in CP932 text that was cut out of a JSON answer
// without a JSON parser. Scanning is character-wise, so the trail byte 0x5C
// of a double-byte character is never taken for a backslash.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::sources {

// Removes every double quote that is not escaped by a backslash.
std::string RemoveUnescapedQuotes(std::string_view text);

// Decodes JSON escapes: \" \\ \/ as themselves, \n \r \t \b \f as a space,
// \uXXXX (surrogate pairs included) as the character in CP932, converted as
// platform::Utf16ToCp932 converts (best fit, else "?"; one "?" per UTF-16
// unit of a character outside the BMP); an escaped control character (below
// U+0020, and U+007F) becomes a space. A malformed escape is kept as it stands.
std::string DecodeJsonEscapes(std::string_view text);

}  // namespace tenrovel::sources
