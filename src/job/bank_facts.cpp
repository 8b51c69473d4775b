#include "job/bank_facts.h"

#include "text/cp932.h"

namespace tenrovel::job {

std::string BankName(std::string_view caption) {
  return text::Trim(text::RemoveAll(caption, " "));
}

}  // namespace tenrovel::job
