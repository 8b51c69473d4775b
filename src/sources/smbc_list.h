// Reading the store locator's search page and list answer: the hit count of
// a prefecture and the detail ids of the listed locations. Lines are the
// page's lines as loaded (UTF-8 bytes).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::sources {

// Whether a line is the hit-count line: its trimmed text begins with "<li"
// and it contains "active", both exactly as written (letter case counts).
bool IsSmbcHitCountLine(std::string_view line);

// The number on the first hit-count line, read without its tags and the
// words 店舗・ATM and 件; 0 when that is not an integer or there is no such
// line. `stop_requested` is asked after every other line and ends the walk.
int ReadSmbcHitCount(const std::vector<std::string>& lines,
                     const std::function<bool()>& stop_requested);

// The detail id in one match of "Finf%2F(.*?)%2F": every "Finf" and then
// every "%2F" removed, letter case ignored.
std::string SmbcDetailId(std::string_view match);

// The detail ids in the first line of a list answer (UTF-8): every match of
// "Finf%2F(.*?)%2F", letter case ignored, left to right without overlap,
// each made into its id. Repeated ids are kept.
std::vector<std::string> SmbcDetailIds(std::string_view first_line);

}  // namespace tenrovel::sources
