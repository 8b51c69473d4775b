// The text routines the bank sources share. All text is CP932 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::job {

// Removes every tag: a "<", any bytes other than ">" (line breaks too), and
// the next ">". An unclosed "<" and everything after it are kept.
std::string StripTags(std::string_view text);

// Appends the pieces of `source` between occurrences of `delimiter` to
// `pieces` (which is not cleared). Empty pieces are never appended; an empty
// delimiter appends the whole source.
void SplitText(std::string_view source, std::string_view delimiter,
               std::vector<std::string>& pieces);

// Full-width digits, the ideographic space, the full-width hyphen-minus and
// the horizontal bar become their ASCII forms.
std::string NormalizeNumerals(std::string_view text);

// The full-width form of the text (as Windows' LCMAP_FULLWIDTH under the
// Japanese locale): "12" becomes "１２". Empty text gives empty text.
std::string ToFullWidth(std::string_view text);

}  // namespace tenrovel::job
