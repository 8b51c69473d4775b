// The Mizuho Bank source: one prefecture's locations from the Mizuho
// location service (a point-of-interest query answered in JSONP), one quoted
// 18-column row per location.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "job/source_context.h"

namespace tenrovel::sources {

// Runs on the worker thread for one prefecture code ("01".."47").
void FetchMizuhoPrefecture(job::SourceContext& context, const std::string& pref_code);

// Writes the row of the record that begins at item `start` and returns the
// record's identity (its location id as the detail page URL, or the whole row
// when it has none); writes nothing and returns nullopt when that identity is
// among `written_before`, the records of earlier answers of the prefecture.
std::optional<std::string> ExtractMizuhoRecord(
    job::SourceContext& context, std::size_t start, std::span<const std::string_view> items,
    const std::unordered_set<std::string>& written_before);

}  // namespace tenrovel::sources
