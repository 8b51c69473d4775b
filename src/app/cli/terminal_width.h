// How wide UTF-8 text shows on a terminal, so that the progress line can be
// cut to the terminal's width: a line that wraps can no longer be redrawn in
// place with a carriage return.
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::cli {

// Columns that `utf8` takes: two for East Asian wide and full-width
// characters (kanji, kana, full-width forms), one for the others.
int DisplayWidth(std::string_view utf8);

// The longest start of `utf8` that takes at most `columns` columns, cut
// between characters.
std::string FitToWidth(std::string_view utf8, int columns);

}  // namespace tenrovel::cli
