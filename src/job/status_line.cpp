#include "job/status_line.h"

#include "job/bank_facts.h"
#include "platform/codepage.h"

namespace tenrovel::job {

std::string StatusLine(std::string_view bank_caption, const JobFields& fields) {
  static const std::string kFetching = platform::Utf8ToCp932("件 取得中");
  return BankName(bank_caption) + " " + fields.CurrentPrefName + " : " +
         std::to_string(fields.PrefItemDone) + "/" + std::to_string(fields.PrefItemTotal) +
         kFetching;
}

}  // namespace tenrovel::job
