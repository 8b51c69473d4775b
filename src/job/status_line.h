// The text of the status label while a job runs, shared by the window and
// the command-line tool.
#pragma once

#include <string>
#include <string_view>

#include "job/job_fields.h"

namespace tenrovel::job {

// Bank name (the caption made into a name), " ", `CurrentPrefName`, " : ",
// `PrefItemDone`, "/", `PrefItemTotal`, "件 取得中" (CP932), e.g.
// "みずほ銀行店舗 東京都 : 3/25件 取得中".
std::string StatusLine(std::string_view bank_caption, const JobFields& fields);

}  // namespace tenrovel::job
