// Reading the Mizuho location service's answer once it has been cut into
// items: the request of one answer, its hit count and its record starts.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenrovel::sources {

// The service answers at most this many records per request ("pm=10").
inline constexpr int kMizuhoPageSize = 10;

// The request path and query for one answer (start = 1, 11, 21, ...).
std::string MizuhoRequestPath(const std::string& pref_code, long long start);

// How many answers a hit count allows at ten records an answer; 0 for a hit
// count of 0 or less. The answers of a prefecture are asked for no further.
long long MizuhoAnswerLimit(int hit_count);

// The hit count of an answer's items: the last item that begins with
// ":{\"hi" decides; 0 when there is none or it is not an integer. The number
// ends at a closing brace or bracket ("hits" as the last key of its object);
// one beyond the range of int gives its limit. The scan from the
// end stops early when `stop_requested` says so.
int ReadMizuhoHitCount(std::span<const std::string_view> items,
                       const std::function<bool()>& stop_requested);

// Whether an item begins a record: ":[" or "{\"" after trimming; an empty
// array (":[]") is none.
bool IsMizuhoRecordStart(std::string_view item);

}  // namespace tenrovel::sources
