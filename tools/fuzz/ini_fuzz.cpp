// The INI text routines: writing a value into any existing file text and
// reading it back gives the value written, and leaves the other keys alone;
// a value that cannot be written on one line is refused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "platform/ini_text.h"

namespace ini = tenrovel::platform::ini;

// Input: the file's text, a NUL, the value to write.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view text = input.substr(0, nul);
  const std::string_view value = nul == std::string_view::npos ? "" : input.substr(nul + 1);

  const auto other_before = ini::FindValue(text, "Config", "SelShop");
  const auto hosts_before = ini::FindValue(text, "Hosts", "MizuhoUrl");
  const auto written = ini::SetValue(text, "Config", "Area", value);
  FUZZ_CHECK(written.has_value() == ini::IsWritable("Config", "Area", value));
  if (!written)
    return 0;
  FUZZ_CHECK(ini::FindValue(*written, "Config", "Area") == std::string(value));
  FUZZ_CHECK(ini::FindValue(*written, "Config", "SelShop") == other_before);
  FUZZ_CHECK(ini::FindValue(*written, "Hosts", "MizuhoUrl") == hosts_before);
  (void)ini::ParseLeadingInt(value);
  return 0;
}
