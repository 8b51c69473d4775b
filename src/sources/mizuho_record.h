// One record of the Mizuho location answer turned into the 18 columns of a
// Mizuho row. The answer has been cut into items by the comma split (in its
// JSON-string mode): a key name is an item of its own and its value the next
// item, beginning with ":"; the first key of a record stays glued to the
// record start (":[{\"key\":\"value\"" or "{\"key\":\"value\"").
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::sources {

inline constexpr std::size_t kMizuhoColumnCount = 18;
using MizuhoColumns = std::array<std::string, kMizuhoColumnCount>;

// Reads the record that begins at item `start` (reading that one item as an
// ordinary key-and-value item, without its record start) up to the next
// record start or an item beginning with ":{". `stop_requested` is asked
// after every item; the columns found so far are returned either way. Column
// 17 is the detail page URL on `detail_base_url`. The items are only read.
MizuhoColumns ExtractMizuhoColumns(std::span<const std::string_view> items, std::size_t start,
                                   const std::function<bool()>& stop_requested,
                                   std::string_view detail_base_url);

}  // namespace tenrovel::sources
