// The MUFG Bank source: no search service, but one prepared data file that
// lists every location, one per line. The file is downloaded once per job
// into the temporary file and read again for every following prefecture;
// the lines of the prefecture become 15-column rows.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "job/source_context.h"

namespace tenrovel::sources {

// The data file's path on its host (SiteConfig::mufg_url).
inline constexpr std::string_view kMufgDataPath = "/report/data.txt";

// Runs on the worker thread for one prefecture code ("01".."47").
void FetchMufgPrefecture(job::SourceContext& context, const std::string& pref_code);

// Whether a trimmed line belongs to the prefecture: its bytes 2 and 3 hold
// the code (after one leading byte, usually the opening quote of the first
// field), ASCII letters compared without regard to case.
bool IsMufgPrefectureLine(std::string_view trimmed_line, std::string_view pref_code);

// The prefecture's lines, trimmed, in file order. `stop_requested` is asked
// after every line; once it says yes no further line is examined.
std::vector<std::string_view> KeepMufgLines(std::span<const std::string_view> lines,
                                            std::string_view pref_code,
                                            const std::function<bool()>& stop_requested);

// The columns of a kept line: its fields 2 to 16, each trimmed; nullopt
// when the line does not have exactly 16 fields.
std::optional<std::vector<std::string>> MufgColumns(std::string_view kept_line);

}  // namespace tenrovel::sources
