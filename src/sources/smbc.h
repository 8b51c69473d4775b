// The SMBC source: one prefecture's locations from the bank's web store
// locator (a keyword search for the hit count, the list through the
// locator's proxy script, one detail page per location), one quoted
// 15-column row per location, and a postal-code lookup for addresses given
// without a postal code.
#pragma once

#include <string>

#include "job/source_context.h"

namespace tenrovel::sources {

// Runs on the worker thread for one prefecture name (CP932, e.g. 東京都).
// The list is read page after page (pg=1, 2, ...) while the hit count is not
// reached and the last page brought an id not seen on an earlier page; an id
// seen on an earlier page is skipped.
void FetchSmbcPrefecture(job::SourceContext& context, const std::string& pref_name);

// Writes the row of one location; always, also when its page could not be
// downloaded or the job is stopping (then with what was found, and its URL).
void ExtractSmbcDetail(job::SourceContext& context, const std::string& detail_id);

// The postal code ("〒" and the code) of the town of an address (CP932), or
// empty: no lookup host, nothing to look up, or no code in the answer.
std::string LookupPostalCode(job::SourceContext& context, const std::string& address);

}  // namespace tenrovel::sources
