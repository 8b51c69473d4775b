// The prefectures as a user may type them on the command line: by code (13,
// 1, ０１), by name with or without 都/府/県 (東京都, 東京; 北海道 stays as it
// is), or romanised in any case (tokyo, Osaka, HOKKAIDO).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tenrovel::cli {

// The index (0..46) of the prefecture `text` (UTF-8) names; nullopt when none.
std::optional<std::size_t> FindPrefecture(const std::string& text);

// For a name that matched none: the prefectures whose names come nearest
// (at most three, at most two edits away; romanised names for Latin input,
// Japanese ones otherwise), as UTF-8 with the romanised name in parentheses.
std::vector<std::string> SuggestPrefectures(const std::string& text);

// The 47 as "01 北海道 hokkaido" lines, for --list-prefectures.
std::string PrefectureList();

}  // namespace tenrovel::cli
