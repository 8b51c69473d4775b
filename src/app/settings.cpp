// TFrmMain's settings: the chosen bank and prefectures in "rvl.ini",
// section "Config", keys "SelShop" and "Area".
#include <string>

#include "app/frm_main.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "text/cp932.h"

namespace tenrovel::app {

namespace {
constexpr const char* kSection = "Config";
constexpr const char* kKeyBank = "SelShop";
constexpr const char* kKeyArea = "Area";
// A default that no value in the file can be.
constexpr const char* kAbsent = "\x01";

// The whole text as a decimal integer (optional sign, digits, blanks
// around them), else 0: "1abc" and "2.0" are no bank numbers.
int WholeInteger(const std::string& text) {
  const std::string t = text::Trim(text);
  std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  if (i == t.size() || t.size() - i > 9 ||
      t.find_first_not_of("0123456789", i) != std::string::npos)
    return 0;
  const int magnitude = std::stoi(t.substr(i));
  return t[0] == '-' ? -magnitude : magnitude;
}

}  // namespace

void TFrmMain::LoadSettings() {
  const std::filesystem::path& file = config_.settings_file;
  // A file without our keys (one that holds only a "Hosts" section) has no
  // choices in it yet: as on a first run.
  const std::string bank_text = platform::IniReadString(file, kSection, kKeyBank, kAbsent);
  const std::string area_text = platform::IniReadString(file, kSection, kKeyArea, kAbsent);
  if (!platform::FileExists(file) || (bank_text == kAbsent && area_text == kAbsent)) {
    // First run: every prefecture (chkArea's handler checks them all).
    SetChkAreaChecked(true);
    SetAreaItemIndex(0);
    return;
  }

  // "SelShop" is the bank's place in the table; another value leaves the first.
  const int bank = bank_text == kAbsent ? 0 : WholeInteger(bank_text);
  if (bank > 0 && static_cast<std::size_t>(bank) < kBankCount)
    SelectBank(static_cast<std::size_t>(bank));

  const std::string area = area_text == kAbsent ? "" : area_text;
  std::size_t count = 0;
  int first_checked = -1;
  for (std::size_t i = 0; i < area_checked_.size() && i < area.size(); ++i) {
    if (area[i] != '1')
      continue;
    SetAreaChecked(i, true);
    if (count++ == 0)
      first_checked = static_cast<int>(i);
  }
  if (count == area_checked_.size())
    SetChkAreaChecked(true);
  SetAreaItemIndex(count > 0 ? first_checked : 0);
}

void TFrmMain::SaveSettings() {
  const std::filesystem::path& file = config_.settings_file;
  if (!platform::FolderExists(file.parent_path()))
    return;
  platform::IniWriteString(file, kSection, kKeyBank, std::to_string(SelectedBank()));
  std::string area;
  for (const bool checked : area_checked_)
    area += checked ? '1' : '0';
  platform::IniWriteString(file, kSection, kKeyArea, area);
}

}  // namespace tenrovel::app
