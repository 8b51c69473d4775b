// The Mizuho Bank source: one prefecture's locations from the Mizuho
// location service (a point-of-interest query answered in JSONP), one quoted
// 18-column row per location.
#pragma once

#include <string>
#include <vector>

#include "job/source_context.h"

namespace tenrovel::sources {

// Runs on the worker thread for one prefecture code ("01".."47").
void FetchMizuhoPrefecture(job::SourceContext& context, const std::string& pref_code);

// Writes the row of the record that begins at item `start`.
void ExtractMizuhoRecord(job::SourceContext& context, std::size_t start,
                         std::vector<std::string>& items);

}  // namespace tenrovel::sources
