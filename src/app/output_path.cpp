#include "app/output_path.h"

#include "app/window_texts.h"
#include "platform/codepage.h"
#include "text/ascii_case.h"

namespace tenrovel::app {

std::string DefaultOutputFileName(const job::BankFacts& bank) {
  return job::BankName(bank.caption) + Texts().file_suffix;
}

std::filesystem::path WithCsvExtension(const std::filesystem::path& path) {
  // The extension of std::filesystem treats a leading dot as part of the
  // stem; here any last dot counts, so ".csv" alone is a CSV name.
  const std::u8string name = path.filename().u8string();
  const std::size_t dot = name.rfind(u8'.');
  const std::u8string_view extension =
      dot == std::u8string::npos ? std::u8string_view() : std::u8string_view(name).substr(dot);
  if (text::EqualsIgnoreAsciiCase(extension, u8".csv"))
    return path;
  std::filesystem::path result = path;
  result += u8".csv";
  return result;
}

std::filesystem::path PathFromCp932(const std::string& cp932) {
  const std::string utf8 = platform::Cp932ToUtf8(cp932);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToCp932(const std::filesystem::path& path) {
  return platform::Utf16ToCp932(path.u16string());
}

}  // namespace tenrovel::app
