// One SMBC detail page turned into the columns of an SMBC row. The page has
// one element or table cell per line; lines are classified by their lead
// (the first 3 bytes of the trimmed line) and the rows of the information
// table by their header cell, never through an HTML parser.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tenrovel::sources {

inline constexpr std::size_t kSmbcColumnCount = 15;
// Column values in CP932, in the order of the SMBC header row.
using SmbcColumns = std::array<std::string, kSmbcColumnCount>;

// Columns 1 to 14 from the page's lines (UTF-8 bytes, as loaded); columns
// that nothing fills stay empty, and column 15 (the URL) is the caller's.
// `stop_requested` is asked inside the rows that read following lines
// (contact, ATM hours, facilities) and ends them at once. The scan ends
// after the facilities row.
SmbcColumns ScanSmbcDetailPage(const std::vector<std::string>& lines,
                               const std::function<bool()>& stop_requested);

}  // namespace tenrovel::sources
